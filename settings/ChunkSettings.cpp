#include "ChunkSettings.h"

namespace {
ChunkSettings g_settings; // constructed before the application object, which keeps a pointer
} // namespace

ChunkSettings* GetChunkSettings() {
    return &g_settings;
}
