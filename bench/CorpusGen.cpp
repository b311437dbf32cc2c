// brevix-corpus: writes a seeded, reproducible documentation-style XML source for the benchmarks.
//
//   brevix-corpus KIND SIZE_MB SEED OUTPUT
//
// KIND is one of
//   doc       an XML declaration, a DOCTYPE, a root, topics with id attributes and titles (some
//             titles repeat), paragraphs with inline elements, comments and now and then a
//             processing instruction; about one topic in ten nested in another; LF line ends
//   unclosed  doc, with 4,000 chunk level tags written with a space before "/" among the topics
//             and 1,000 more after the root's end: each opens a chunk that never closes
//   comments  a few topics, then one topic filling the rest of the size that holds 100,000
//             comments and processing instructions, its title after all of them
//   dupes     100,000 small topics all titled "Same Title" (SIZE_MB is ignored)
//   longline  doc with every line end replaced by a space: one line, no line end at all
//   bigregion a few topics, then one topic of half the size with no nested topic and its title
//             at its end (one naming region of SIZE_MB / 2), then small topics to the full size
//   large     flat topics of 5 MB each, title first (a 5,000 MB source: 1,000 chunks)
//
// The same KIND, SIZE_MB and SEED always give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// xorshift64*: small, fast and the same on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return m_state * 0x2545F4914F6CDD1Dull;
    }
    // A number in [0, n).
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }

private:
    uint64_t m_state;
};

const char* const kWords[] = {
    "the", "chart", "harbor", "depth", "sounding", "tide", "export", "layer", "grid", "datum",
    "select", "window", "toolbar", "option", "setting", "value", "file", "print", "scale", "north",
    "arrow", "legend", "symbol", "buoy", "channel", "marker", "route", "waypoint", "survey", "data",
    "import", "format", "default", "user", "dialog", "field", "button", "menu", "command", "list",
    "and", "or", "with", "from", "into", "each", "every", "when", "then", "before", "after", "to",
    "of", "in", "on", "a", "is", "are", "can", "shows", "keeps", "draws", "opens", "saves", "uses"};
constexpr unsigned kWordCount = sizeof kWords / sizeof kWords[0];

const char* const kCommonTitles[] = {"Overview", "Tips", "Examples", "Troubleshooting", "See also"};
constexpr unsigned kCommonTitleCount = sizeof kCommonTitles / sizeof kCommonTitles[0];

// Collects output and writes it in large blocks.
class Output {
public:
    Output(std::FILE* file, bool joinLines) : m_file(file), m_join(joinLines) { m_buffer.reserve(kFlush * 2); }
    ~Output() { Flush(); }
    void Put(const std::string& text) { Put(text.data(), text.size()); }
    void Put(const char* text) { Put(text, std::strlen(text)); }
    void Put(const char* text, size_t size) {
        m_buffer.append(text, size);
        m_written += size;
        if (m_buffer.size() >= kFlush) Flush();
    }
    // Writes what was collected; with joinLines every LF becomes a space first.
    void Flush() {
        if (m_join)
            for (char& c : m_buffer)
                if (c == '\n') c = ' ';
        if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) {
            std::perror("brevix-corpus: write");
            std::exit(1);
        }
        m_buffer.clear();
    }
    uint64_t Written() const { return m_written; }

private:
    static constexpr size_t kFlush = 1 << 20;
    std::FILE* m_file;
    bool m_join;
    std::string m_buffer;
    uint64_t m_written = 0;
};

// Generates the documentation text of all kinds.
class Generator {
public:
    Generator(Output& out, uint64_t seed) : m_out(out), m_rand(seed) {}

    std::string Words(unsigned count) {
        std::string text;
        for (unsigned i = 0; i < count; ++i) {
            if (i > 0) text += ' ';
            text += kWords[m_rand.Below(kWordCount)];
        }
        return text;
    }

    // A title: mostly unique ("Setting the harbor grid 123"), one in twenty a common one.
    std::string Title() {
        if (m_rand.Chance(5)) return kCommonTitles[m_rand.Below(kCommonTitleCount)];
        std::string title = Words(2 + m_rand.Below(4));
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        return title + " " + std::to_string(m_topics);
    }

    // One paragraph with inline elements, now and then a comment or a processing instruction.
    void Paragraph(const char* indent) {
        std::string p = std::string(indent) + "<p>";
        unsigned sentences = 1 + m_rand.Below(4);
        for (unsigned s = 0; s < sentences; ++s) {
            p += Words(4 + m_rand.Below(10));
            switch (m_rand.Below(6)) {
            case 0: p += " <b>" + Words(1 + m_rand.Below(2)) + "</b>"; break;
            case 1: p += " <i>" + Words(1 + m_rand.Below(3)) + "</i>"; break;
            case 2: p += " <code>" + Words(1) + ".cfg</code>"; break;
            case 3: p += " <xref href=\"#t" + std::to_string(m_rand.Below(m_topics + 1)) + "\"/>"; break;
            default: break;
            }
            p += (m_rand.Below(8) == 0) ? " &amp; " : ". ";
        }
        p += "</p>\n";
        if (m_rand.Chance(8)) p += std::string(indent) + "<!-- review: " + Words(5) + " -->\n";
        if (m_rand.Chance(2)) p += std::string(indent) + "<?editor note=\"" + Words(3) + "\"?>\n";
        Put(p);
    }

    // One topic of about 4.5 KB on average; one in ten holds a nested topic.
    void Topic(const char* indent, bool mayNest) {
        ++m_topics;
        std::string inner = std::string(indent) + "  ";
        Put(std::string(indent) + "<topic id=\"t" + std::to_string(m_topics) + "\" xml:lang=\"en\">\n");
        Put(inner + "<title>" + Title() + "</title>\n");
        unsigned paragraphs = 2 + m_rand.Below(42);
        unsigned nestAt = (mayNest && m_rand.Chance(10)) ? m_rand.Below(paragraphs) : paragraphs;
        for (unsigned i = 0; i < paragraphs; ++i) {
            if (i == nestAt) Topic(inner.c_str(), false);
            Paragraph(inner.c_str());
        }
        Put(std::string(indent) + "</topic>\n");
    }

    // A chunk level tag with a space before "/": it opens a chunk that never closes.
    void Stub(const char* indent) {
        ++m_stubs;
        Put(std::string(indent) + "<topic id=\"stub" + std::to_string(m_stubs) + "\" title=\"Stub " +
            std::to_string(m_stubs) + "\" />\n");
    }

    void Prologue() {
        Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE guide SYSTEM \"guide.dtd\">\n");
        Put("<!-- Generated documentation corpus for Brevix benchmarks -->\n");
        Put("<guide product=\"Harbor Mapper\" version=\"3.2\">\n");
    }
    void Epilogue() { Put("</guide>\n"); }

    void Put(const std::string& text) { m_out.Put(text); }

    Random& Rand() { return m_rand; }
    unsigned Topics() const { return m_topics; }

private:
    Output& m_out;
    Random m_rand;
    unsigned m_topics = 0;
    unsigned m_stubs = 0;
};

void WriteDoc(Generator& gen, Output& out, uint64_t size, unsigned stubs) {
    // Stubs are spread evenly over the topics of an estimated 4.5 KB each.
    uint64_t expectedTopics = size / 4600 + 1;
    uint64_t every = stubs > 0 ? expectedTopics / stubs + 1 : 0;
    gen.Prologue();
    uint64_t count = 0;
    while (out.Written() + 16 < size) {
        if (every != 0 && ++count % every == 0) gen.Stub("  ");
        gen.Topic("  ", true);
    }
    gen.Epilogue();
}

void WriteUnclosed(Generator& gen, Output& out, uint64_t size) {
    WriteDoc(gen, out, size, 4000);
    // After the root: stubs with no closing chunk level tag anywhere after them.
    for (int i = 0; i < 1000; ++i) {
        gen.Stub("");
        gen.Put("<p>" + gen.Words(12) + "</p>\n");
    }
}

void WriteComments(Generator& gen, Output& out, uint64_t size) {
    gen.Prologue();
    for (int i = 0; i < 20; ++i) gen.Topic("  ", true);
    const unsigned kMarkup = 100000;
    uint64_t left = size > out.Written() ? size - out.Written() : 0;
    uint64_t perMarkup = left / kMarkup;
    gen.Put("  <topic id=\"big\">\n");
    for (unsigned i = 0; i < kMarkup; ++i) {
        uint64_t target = out.Written() + perMarkup;
        if (i % 2 == 0) gen.Put("    <!-- note " + std::to_string(i) + ": " + gen.Words(6) + " -->\n");
        else gen.Put("    <?editor step=\"" + std::to_string(i) + "\" " + gen.Words(3) + "?>\n");
        while (out.Written() + 40 < target) gen.Put("    <p>" + gen.Words(6 + gen.Rand().Below(10)) + "</p>\n");
    }
    gen.Put("    <title>The big topic</title>\n  </topic>\n");
    gen.Epilogue();
}

// Paragraphs (with their comments and processing instructions) until the output reaches end.
void Fill(Generator& gen, Output& out, uint64_t end) {
    while (out.Written() + 40 < end) gen.Paragraph("    ");
}

void WriteBigRegion(Generator& gen, Output& out, uint64_t size) {
    gen.Prologue();
    for (int i = 0; i < 20; ++i) gen.Topic("  ", true);
    gen.Put("  <topic id=\"big\">\n");
    Fill(gen, out, out.Written() + size / 2);
    gen.Put("    <title>The big region</title>\n  </topic>\n");
    while (out.Written() + 16 < size) gen.Topic("  ", true);
    gen.Epilogue();
}

void WriteLarge(Generator& gen, Output& out, uint64_t size) {
    const uint64_t kTopic = 5000000;
    gen.Prologue();
    for (uint64_t i = 0; out.Written() + kTopic / 2 < size; ++i) {
        uint64_t end = out.Written() + kTopic;
        gen.Put("  <topic id=\"large" + std::to_string(i) + "\">\n    <title>Large topic " + std::to_string(i) +
                "</title>\n");
        Fill(gen, out, end - 11);
        gen.Put("  </topic>\n");
    }
    gen.Epilogue();
}

void WriteDupes(Generator& gen) {
    gen.Prologue();
    for (int i = 0; i < 100000; ++i) {
        gen.Put("  <topic id=\"d" + std::to_string(i) + "\">\n    <title>Same Title</title>\n");
        gen.Put("    <p>" + gen.Words(8 + gen.Rand().Below(30)) + "</p>\n  </topic>\n");
    }
    gen.Epilogue();
}

int Usage() {
    std::fputs("usage: brevix-corpus doc|unclosed|comments|dupes|longline|bigregion|large SIZE_MB SEED OUTPUT\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Usage();
    std::string kind = argv[1];
    uint64_t size = std::strtoull(argv[2], nullptr, 10) * 1000000ull;
    uint64_t seed = std::strtoull(argv[3], nullptr, 10);
    std::FILE* file = std::fopen(argv[4], "wb");
    if (file == nullptr) {
        std::perror(argv[4]);
        return 1;
    }
    {
        Output out(file, kind == "longline");
        Generator gen(out, seed);
        if (kind == "doc" || kind == "longline") WriteDoc(gen, out, size, 0);
        else if (kind == "unclosed") WriteUnclosed(gen, out, size);
        else if (kind == "comments") WriteComments(gen, out, size);
        else if (kind == "dupes") WriteDupes(gen);
        else if (kind == "bigregion") WriteBigRegion(gen, out, size);
        else if (kind == "large") WriteLarge(gen, out, size);
        else return Usage();
        out.Flush();
    }
    if (std::fclose(file) != 0) {
        std::perror(argv[4]);
        return 1;
    }
    return 0;
}
