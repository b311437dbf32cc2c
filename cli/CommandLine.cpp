#include "CommandLine.h"

#include "engine/Chunker.h"
#include "framework/FileException.h"
#include "framework/FileSystem.h"
#include "settings/ChunkSettings.h"

#include <new>

namespace {

const char kUsage[] =
    "Usage: brevix-cli [OPTIONS] SOURCE OUTPUT_FOLDER\n"
    "Cuts the XML text file SOURCE into one file per chunk in OUTPUT_FOLDER and prints the\n"
    "process log.\n"
    "\n"
    "Options:\n"
    "  -t, --tags TEXT        chunk level tag text (default: the stored \"tag\", fresh: \"topic\")\n"
    "  -k, --keys TEXT        chunk name key text (default: the stored \"attrs\", fresh: \"title\")\n"
    "  -s, --set NAME=VALUE   an option for this run only, by its profile value name (below);\n"
    "                         booleans read exactly as stored ones: true only for \"yes\"\n"
    "      --no-profile       ignore the stored profile and start from the defaults\n"
    "  -q, --quiet            print nothing when the run logged no failure\n"
    "  -h, --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "Settings (NAME for -s, with its default):\n"
    "  overwrite              replace an existing chunk file; \"no\" makes a numbered variant (yes)\n"
    "  subfolders             put each chunk file into a sub-folder named after its tag (no)\n"
    "  emit_prefix            start every chunk file name with the prefix and \"_\" (no)\n"
    "  use_source             the prefix is the source file's name, dots made \"_\" (no)\n"
    "  prefix                 the prefix text, used as typed (empty)\n"
    "  append_tagname         append \"_\" and the chunk level tag to the prefix (no)\n"
    "  ext                    the chunk files' extension, without the dot (xml)\n"
    "  emit_preamble          write the preamble before each chunk (yes)\n"
    "  use_line1              the preamble is line 1 of the source (no)\n"
    "  preamble               the preamble text (the XML declaration, version 1.0, UTF-8)\n"
    "  emit_postamble         write the postamble after each chunk (no)\n"
    "  postamble              the postamble text (empty)\n"
    "\n"
    "Exit status: 0 done, 1 a failure was logged or the source could not be read,\n"
    "2 a usage error or a missing output folder.\n";

const char kVersion[] = "brevix-cli " BREVIX_VERSION "\n";

struct Options {
    bool tagsGiven = false, keysGiven = false, noProfile = false, quiet = false;
    CString tags, keys;
    CStringList sets; // NAME=VALUE, in order
    CStringList operands;
};

// Stores one NAME=VALUE into the record; false when NAME is not an option's value name.
bool ApplySetting(ChunkSettings& settings, const CString& assignment) {
    size_t equals = assignment.find('=');
    if (equals == CString::npos) return false;
    CString name = assignment.substr(0, equals);
    CString value = assignment.substr(equals + 1);
    struct Flag {
        const char* name;
        BOOL ChunkSettings::*member;
    };
    struct Text {
        const char* name;
        CString ChunkSettings::*member;
    };
    static const Flag kFlags[] = {{"overwrite", &ChunkSettings::m_bOverwrite},
                                  {"subfolders", &ChunkSettings::m_bSubfolders},
                                  {"emit_prefix", &ChunkSettings::m_bEmitPrefix},
                                  {"use_source", &ChunkSettings::m_bUseSource},
                                  {"append_tagname", &ChunkSettings::m_bAppendTagname},
                                  {"emit_preamble", &ChunkSettings::m_bEmitPreamble},
                                  {"use_line1", &ChunkSettings::m_bUseLine1},
                                  {"emit_postamble", &ChunkSettings::m_bEmitPostamble}};
    static const Text kTexts[] = {{"ext", &ChunkSettings::m_strExt},
                                  {"prefix", &ChunkSettings::m_strPrefix},
                                  {"preamble", &ChunkSettings::m_strPreamble},
                                  {"postamble", &ChunkSettings::m_strPostamble}};
    for (const Flag& flag : kFlags)
        if (name == flag.name) return settings.*flag.member = DecodeBool(value), true;
    for (const Text& text : kTexts)
        if (name == text.name) return settings.*text.member = value, true;
    return false;
}

// Parses args into options; on a usage error returns false with message set.
bool ParseArguments(const CStringList& args, Options& options, CString& message, bool& help, bool& version) {
    bool operandsOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const CString& arg = args[i];
        if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
            options.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            operandsOnly = true;
            continue;
        }
        // Options that take a value: "-t TEXT", "-tTEXT", "--tags TEXT" or "--tags=TEXT".
        CString option = arg, value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != CString::npos) {
            option = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        } else if (arg[1] != '-' && arg.size() > 2 && CString("tks").find(arg[1]) != CString::npos) {
            option = arg.substr(0, 2);
            value = arg.substr(2);
            inlineValue = true;
        }
        CString* target = nullptr;
        if (option == "-t" || option == "--tags")
            target = &options.tags, options.tagsGiven = true;
        else if (option == "-k" || option == "--keys")
            target = &options.keys, options.keysGiven = true;
        else if (option == "-s" || option == "--set")
            options.sets.emplace_back(), target = &options.sets.back();
        if (target != nullptr) {
            if (!inlineValue) {
                if (i + 1 == args.size()) {
                    message = "option " + option + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            *target = value;
            continue;
        }
        if (inlineValue) {
            message = "option " + option + " takes no value";
            return false;
        }
        if (arg == "--no-profile")
            options.noProfile = true;
        else if (arg == "-q" || arg == "--quiet")
            options.quiet = true;
        else if (arg == "-h" || arg == "--help")
            help = true;
        else if (arg == "--version")
            version = true;
        else {
            message = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

} // namespace

int RunCommandLine(const CStringList& args, const ProfileStore& profile, std::ostream& out,
                   std::ostream& err) {
    Options options;
    CString message;
    bool help = false, version = false;
    if (!ParseArguments(args, options, message, help, version)) {
        err << "brevix-cli: " << message << "\n"
            << "Try 'brevix-cli --help'.\n";
        return kCliUsage;
    }
    if (help) {
        out << kUsage;
        return kCliDone;
    }
    if (version) {
        out << kVersion;
        return kCliDone;
    }
    if (options.operands.size() != 2) {
        err << "brevix-cli: expected SOURCE and OUTPUT_FOLDER\n" << kUsage;
        return kCliUsage;
    }

    ChunkSettings& settings = *GetChunkSettings();
    settings.LoadSettings(options.noProfile ? static_cast<const ProfileStore&>(MemoryProfile()) : profile);
    for (const CString& assignment : options.sets) {
        if (!ApplySetting(settings, assignment)) {
            err << "brevix-cli: unknown setting '" << assignment << "' (expected NAME=VALUE)\n"
                << "Try 'brevix-cli --help'.\n";
            return kCliUsage;
        }
    }
    settings.m_levelEdit.SetWindowText(options.tagsGiven ? options.tags : settings.m_strLevelTags);
    settings.m_nameEdit.SetWindowText(options.keysGiven ? options.keys : settings.m_strNameKeys);

    const CString& source = options.operands[0];
    const CString& folder = options.operands[1];
    if (!FolderExists(folder)) {
        err << "brevix-cli: output folder not found: " << folder << "\n";
        return kCliUsage;
    }

    Chunker chunker;
    CString log;
    try {
        log = chunker.Process(source, folder);
    } catch (const CFileException& e) {
        err << "brevix-cli: " << e.what() << "\n";
        return kCliFailed;
    } catch (const std::bad_alloc&) {
        err << "brevix-cli: not enough memory to read " << source << "\n";
        return kCliFailed;
    }
    bool failed = chunker.HadFailure();
    if (!(options.quiet && !failed)) out.write(log.data(), static_cast<std::streamsize>(log.size()));
    out.flush();
    return failed ? kCliFailed : kCliDone;
}
