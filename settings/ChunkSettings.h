// ChunkSettings: the application's one settings record: the stored settings, and the toolbar's
// two labels and key fields, whose texts are the live key texts once the main frame made them.
#pragma once

#include "SettingsRecord.h"
#include "framework/Wnd.h"

class ChunkSettings : public SettingsRecord {
public:
    ChunkSettings() = default;
    virtual ~ChunkSettings() = default;

    // The live key texts: what the toolbar's edit fields hold now.
    CString GetLevelTagText() const { return m_levelEdit.GetWindowText(); }
    CString GetNameKeyText() const { return m_nameEdit.GetWindowText(); }

    ChunkSettings(const ChunkSettings&) = delete;
    ChunkSettings& operator=(const ChunkSettings&) = delete;

    // The toolbar's windows, created and destroyed by the main frame.
    CStatic m_levelLabel; // "Chunk Level (tags)"
    CEdit m_levelEdit;    // the live chunk level tag text
    CStatic m_nameLabel;  // "Chunk Name (tags and/or attributes)"
    CEdit m_nameEdit;     // the live chunk name key text
};

// The process-wide record.
ChunkSettings* GetChunkSettings();
