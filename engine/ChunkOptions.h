// ChunkOptions: the twelve options of a run as a plain value, and the one table that lists them.
// Everything that names or stores the options (the profile load and the Settings dialog's write
// back, brevix-cli's -s and its help, the options the tests and fuzz targets draw) is written from
// BREVIX_CHUNK_OPTIONS.
#pragma once

#include "platform/StringTypes.h"

// One row per option, in the order the profile is read and changed values are written back:
//   X(kind, member, accessor, profile value name, stored default, help)
// kind is Flag (a BOOL stored as "yes" or "no") or Text (a string stored as it is). The Settings
// dialog keeps its own control for each member (settings/SettingsDlg.cpp).
#define BREVIX_CHUNK_OPTIONS(X)                                                                              \
    X(Flag, m_bOverwrite, GetOverwrite, "overwrite", "yes",                                                  \
      "replace earlier chunk files; no: number them anew")                                                   \
    X(Flag, m_bSubfolders, GetSubfolders, "subfolders", "no", "a sub-folder per chunk level tag")            \
    X(Flag, m_bEmitPrefix, GetEmitPrefix, "emit_prefix", "no", "give chunk file names a prefix")             \
    X(Flag, m_bUseSource, GetUseSource, "use_source", "no",                                                  \
      "the prefix is the source's file name, dots as \"_\"")                                                 \
    X(Text, m_strPrefix, GetPrefix, "prefix", "", "the prefix text, taken as typed")                         \
    X(Flag, m_bAppendTagname, GetAppendTagname, "append_tagname", "no",                                      \
      "add the chunk level tag to the prefix")                                                               \
    X(Text, m_strExt, GetExt, "ext", "xml", "the chunk files' extension, without the dot")                   \
    X(Flag, m_bEmitPreamble, GetEmitPreamble, "emit_preamble", "yes",                                        \
      "begin every chunk file with the preamble")                                                            \
    X(Flag, m_bUseLine1, GetUseLine1, "use_line1", "no", "the preamble is line 1 of the source")             \
    X(Text, m_strPreamble, GetPreamble, "preamble", kDefaultPreamble, "the preamble text")                   \
    X(Flag, m_bEmitPostamble, GetEmitPostamble, "emit_postamble", "no",                                      \
      "end every chunk file with the postamble")                                                             \
    X(Text, m_strPostamble, GetPostamble, "postamble", "", "the postamble text")

// The default preamble: the XML declaration and a line feed.
constexpr const char* kDefaultPreamble = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The stored form of each kind of option, and its reading: a flag is true only for exactly "yes".
using FlagValue = BOOL;
using TextValue = CString;
inline CString EncodeFlag(BOOL value) {
    return value ? "yes" : "no";
}
inline BOOL DecodeFlag(const CString& text) {
    return text == "yes" ? 1 : 0;
}
inline const CString& EncodeText(const CString& text) {
    return text;
}
inline const CString& DecodeText(const CString& text) {
    return text;
}

// The options of a run. Constructed empty and false, as the settings record is before it loads;
// Defaults() gives what a fresh profile holds.
struct ChunkOptions {
#define BREVIX_OPTION_MEMBER(kind, member, accessor, name, stored, help)                                     \
    kind##Value member{};                                                                                    \
    kind##Value accessor() const {                                                                           \
        return member;                                                                                       \
    }
    BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_MEMBER)
#undef BREVIX_OPTION_MEMBER

    static ChunkOptions Defaults() {
        ChunkOptions options;
#define BREVIX_OPTION_DEFAULT(kind, member, accessor, name, stored, help)                                    \
    options.member = Decode##kind(stored);
        BREVIX_CHUNK_OPTIONS(BREVIX_OPTION_DEFAULT)
#undef BREVIX_OPTION_DEFAULT
        return options;
    }
};

namespace brevix {
struct Options;
}
// The options in the form of the public face (engine/Brevix.h), with empty key texts.
brevix::Options ToPublicOptions(const ChunkOptions& options);
