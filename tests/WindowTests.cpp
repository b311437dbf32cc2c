// The source window alone: what it holds, and the text after it read ahead by pieces, forward and
// back again, as the naming reads a region it does not hold.
#include "TestSupport.h"

#include "engine/SourceWindow.h"
#include "platform/IoFaults.h"

namespace {

TEST(Window, PiecesAheadGiveTheTextInAnyOrderAndStopAtTheFlag) {
    ScratchFolder scratch;
    CString text;
    for (int i = 0; text.size() < 3 * SourceWindow::kBlock; ++i)
        text += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
    text += "end"; // no LF: text mode adds one where it converts
    const CString expected = text + (kTextModeConverts ? "\n" : "");
    WriteBytes(scratch / "s.txt", text);
    for (size_t limit : {size_t(0), size_t(1000)}) {
        SCOPED_TRACE(limit);
        IoFaults::SetReadBlockLimit(limit);
        CStdioFile source;
        ASSERT_TRUE(source.Open(scratch / "s.txt"));
        std::atomic<bool> stop{false};
        SourceWindow window(source, &stop);
        window.Extend(0);
        auto at = [&](uint64_t offset) { // the text from offset as far as one piece goes, "" at the end
            const char* data;
            const size_t size = window.Piece(offset, data);
            return CString(data, size);
        };
        // Every offset's piece is the text from there; the same after reading further on.
        for (uint64_t offset : {uint64_t(0), window.End(), uint64_t(expected.size() - 2), uint64_t(777777),
                                window.End() + 1, uint64_t(expected.size() - 1)}) {
            const CString piece = at(offset);
            ASSERT_FALSE(piece.empty()) << offset;
            EXPECT_EQ(piece, expected.substr(offset, piece.size())) << offset;
        }
        CString whole;
        for (uint64_t offset = 0; offset < expected.size(); offset += at(offset).size())
            whole += at(offset);
        EXPECT_EQ(whole, expected);
        EXPECT_EQ(at(expected.size()), "");
        // The window moves on and reads the same text the pieces gave.
        window.Extend(window.End());
        EXPECT_EQ(CString(window.At(window.Begin()), window.At(window.End())),
                  expected.substr(window.Begin(), window.End() - window.Begin()));
        stop = true;
        EXPECT_EQ(at(expected.size() - 1), "");
        EXPECT_TRUE(window.StopSeen());
    }
    IoFaults::SetReadBlockLimit(0);
}

} // namespace
