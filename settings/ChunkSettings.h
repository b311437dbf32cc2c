// ChunkSettings: the one record of every option, the two key texts and the toolbar's key fields.
#pragma once

#include "platform/ProfileStore.h"
#include "platform/StringTypes.h"
#include "framework/Wnd.h"

// The profile section and value names.
constexpr const char* kSettingsSection = "Settings";

class ChunkSettings {
public:
    ChunkSettings() = default;
    virtual ~ChunkSettings() = default;

    // Fills every member from section "Settings" of profile, missing values taking their defaults.
    void LoadSettings(const ProfileStore& profile);
    // Writes "tag" and "attrs" from the stored key texts (the exit step).
    void SaveKeyTexts(ProfileStore& profile) const;

    // The live key texts: what the toolbar's edit fields hold now.
    CString GetLevelTagText() const { return m_levelEdit.GetWindowText(); }
    CString GetNameKeyText() const { return m_nameEdit.GetWindowText(); }

    int GetOverwrite() const { return m_bOverwrite; }
    int GetSubfolders() const { return m_bSubfolders; }
    int GetEmitPrefix() const { return m_bEmitPrefix; }
    int GetUseSource() const { return m_bUseSource; }
    int GetAppendTagname() const { return m_bAppendTagname; }
    int GetEmitPreamble() const { return m_bEmitPreamble; }
    int GetUseLine1() const { return m_bUseLine1; }
    int GetEmitPostamble() const { return m_bEmitPostamble; }

    CString GetPrefix() const { return m_strPrefix; }
    CString GetExt() const { return m_strExt; }
    CString GetPreamble() const { return m_strPreamble; }
    CString GetPostamble() const { return m_strPostamble; }

    ChunkSettings(const ChunkSettings&) = delete;
    ChunkSettings& operator=(const ChunkSettings&) = delete;

    // Member variables, read and written directly by the Settings dialog and the main frame.
    CStatic m_levelLabel;      // "Chunk Level (tags)"
    CEdit m_levelEdit;         // the live chunk level tag text
    CString m_strLevelTags;    // "tag": as loaded or as last saved
    CStatic m_nameLabel;       // "Chunk Name (tags and/or attributes)"
    CEdit m_nameEdit;          // the live chunk name key text
    CString m_strNameKeys;     // "attrs"
    BOOL m_bOverwrite = 0;     // "overwrite": an earlier run's chunk file may be replaced
    BOOL m_bSubfolders = 0;    // "subfolders": a sub-folder per chunk level tag
    CString m_strExt;          // "ext", without the dot
    BOOL m_bEmitPrefix = 0;    // "emit_prefix"
    BOOL m_bUseSource = 0;     // "use_source": the prefix is the source file's name
    CString m_strPrefix;       // "prefix"
    BOOL m_bAppendTagname = 0; // "append_tagname"
    BOOL m_bEmitPreamble = 0;  // "emit_preamble"
    BOOL m_bUseLine1 = 0;      // "use_line1": the preamble is the source's first line
    CString m_strPreamble;     // "preamble"
    BOOL m_bEmitPostamble = 0; // "emit_postamble"
    CString m_strPostamble;    // "postamble"
};

// The process-wide record.
ChunkSettings* GetChunkSettings();

// The stored form of a boolean, and its reading: true only for exactly "yes".
CString EncodeBool(BOOL value);
BOOL DecodeBool(const CString& text);

// The default preamble: the XML declaration and a line feed.
extern const char* const kDefaultPreamble;
