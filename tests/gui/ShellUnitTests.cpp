// The windowed program's pure helpers, without starting it: recent-file names in the menu and
// the command line's flags.
#include <gtest/gtest.h>

#include "framework/RecentFileList.h"
#include "framework/WinApp.h"

namespace {

TEST(ShellHelpers, RecentFileNamesFitThirtyCharacters) {
    const char* cases[][2] = {
        {"C:\\brevix-gui-tests\\lf.xml", "C:\\brevix-gui-tests\\lf.xml"},
        {"C:\\brevix-gui-tests\\a-long-folder-name\\sub\\deep.xml", "C:\\...\\sub\\deep.xml"},
        {"C:\\x\\an-extremely-long-file-name-indeed.xml", "an-extremely-long-file-name-indeed.xml"},
        {"\\\\server\\share\\folder\\another\\file.xml", "\\\\server\\share\\...\\file.xml"},
    };
    for (auto& c : cases)
        EXPECT_EQ(AbbreviatePath(c[0], 30), c[1]) << c[0];
}

TEST(ShellHelpers, CommandLineFlagsTakeTheirCase) {
    struct {
        std::vector<const char*> args;
        CCommandLineInfo::ShellCommand command;
    } cases[] = {
        {{"/p", "x.xml"}, CCommandLineInfo::FilePrint},
        {{"/P", "x.xml"}, CCommandLineInfo::FileOpen},
        {{"-pt", "x.xml", "printer", "driver", "port"}, CCommandLineInfo::FilePrintTo},
        {{"/dde"}, CCommandLineInfo::FileDDE},
        {{"/DDE"}, CCommandLineInfo::FileNew},
        {{"/unregister"}, CCommandLineInfo::AppUnregister},
        {{"-UNREGSERVER"}, CCommandLineInfo::AppUnregister},
        {{"/Embedding"}, CCommandLineInfo::FileNew},
    };
    for (auto& c : cases) {
        CCommandLineInfo info;
        for (size_t i = 0; i < c.args.size(); ++i) {
            bool flag = c.args[i][0] == '/' || c.args[i][0] == '-';
            info.ParseParam(c.args[i] + (flag ? 1 : 0), flag, i + 1 == c.args.size());
        }
        EXPECT_EQ(info.m_nShellCommand, c.command) << (c.args.empty() ? "(none)" : c.args[0]);
        if (c.command == CCommandLineInfo::FilePrintTo) {
            EXPECT_EQ(info.m_strPrinterName + "|" + info.m_strDriverName + "|" + info.m_strPortName,
                      "printer|driver|port");
        }
    }
}

} // namespace
