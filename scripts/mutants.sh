#!/usr/bin/env bash
# Hand-made faults, applied one at a time to the engine, platform and front-end sources: each is
# built into the native suite (an incremental build in build/mutants), the suite runs, and the
# source is restored. Prints which faults the suite kills and the count. Not part of the suite.
#   scripts/mutants.sh [NUMBER...]   (default: every fault)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build/mutants
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
exec python3 - "$build" "$@" <<'PY'
import os, subprocess, sys

build, chosen = sys.argv[1], [int(a) for a in sys.argv[2:]]
# (file, exact text, replacement): each a real fault the suite must notice. Faults in the Windows
# text mode (platform/TextMode.cpp's CR LF and Ctrl-Z rules) are not listed: a native build never
# runs that code; the win32 suite's StdioFile and Equivalence tests do.
MUTANTS = [
    ('engine/SourceScanner.cpp', 'if (TextIs(offset, end)) return offset;', 'if (TextIs(offset, end)) return offset + 2;'),
    ('engine/SourceScanner.cpp', "(*after == '>' || *after == ' '))", "*after == '>')"),
    ('engine/ChunkNamer.cpp', 'duplicate = !m_usedNames.Insert(name);', 'm_usedNames.Insert(name);'),
    ('engine/ChunkWriter.cpp', 'if (chunkPath.numbered || !GivePath(path)) {', 'if (chunkPath.numbered) {'),
    ('engine/ChunkWriter.cpp', '|| !GivePath(candidate)) continue;', '|| (GivePath(candidate), false)) continue;'),
    ('engine/ChunkWriter.cpp', 'case EntryKind::Replaceable: OpenReplacement(path, stream); return chunk;', 'case EntryKind::Replaceable: return chunk;'),
    ("platform/TextOutStream.cpp", "if (!finished && known) RemoveIfSameFile", "if (false) RemoveIfSameFile"),
    ('engine/Chunker.cpp', 'm_bSourceIdentity ? &m_sourceIdentity : nullptr', 'nullptr'),
    ('engine/ChunkNamer.cpp', 'path == m_strSourcePath || duplicate', 'duplicate'),
    ('engine/ChunkNamer.cpp', "name[3] >= '1'", "name[3] >= '0'"),
    ('engine/ChunkNamer.cpp', 'duplicate || !m_options.GetOverwrite() ||', 'duplicate ||'),
    ('engine/ChunkNamer.cpp', "if (c == '.') c = '_';", "if (c == '.') c = '-';"),
    ('engine/ChunkWriter.cpp', 'if (FindExists(candidate) ||', 'if ('),
    ('engine/SourceScanner.cpp', "if (q == window.End() || *c == '<') continue;", 'if (q == window.End()) continue;'),
    ('engine/SourceScanner.cpp', "*c != '>' && *c != ' ' && *c != '<'", "*c != '>' && *c != '<'"),
    ('engine/Chunker.cpp', 'if (m_options.GetEmitPreamble() && !stages.preamble.empty())', 'if (!stages.preamble.empty())'),
    ('engine/Chunker.cpp', '            LogFileFailure(FailureKind::FolderNotCreated, subfolder, reason);\n', ''),
    ('engine/Chunker.cpp', 'if (!chunk.stream.Finish())\n                LogFileFailure(FailureKind::FileNotWritten, chunk.path, chunk.stream.GetErrorText());', 'if (!chunk.stream.Finish())\n                LogLine(chunk.path);'),
    ('engine/Chunker.cpp', '            LogLine(chunk.path);', '            LogFailure(chunk.path);'),
    ('engine/Chunker.cpp', 'if (!writer.HasOpen()) return;', 'if (writer.OpenCount() < 2) return;'),
    ('engine/SourceScanner.cpp', 'const bool plain = m_tagAt - m_tagBegin - 1 - m_slashes > m_longest;', 'const bool plain = m_tagAt - m_tagBegin - 1 > m_longest;'),
    ('engine/ChunkWriter.cpp', 'chunk.stream.CloseAndRemove()', 'chunk.stream.Close()'),
    ('engine/SourceWindow.cpp', 'if (offset < m_aheadBegin || offset >= m_aheadEnd) {', 'if (offset < m_aheadBegin) {'),
    ('engine/SourceScanner.cpp', 'if (tail[i] == pattern[0] && TextIs(next - tail.size() + i, pattern))', 'if (false)'),
    ('engine/SourceScanner.cpp', "if (less == nullptr && data[size - 1] != '<') {", 'if (less == nullptr) {'),
    ('engine/SourceScanner.cpp', 'static_cast<const char*>(lf) + 1)', 'static_cast<const char*>(lf))'),
    ("engine/Chunker.cpp", "text.find_first_not_of(\" ,\", start)", "text.find_first_not_of(\" \", start)"),
    ("engine/ChunkOptions.h", "return text == \"yes\" ? 1 : 0;",
     "return (text == \"yes\" || text == \"Yes\" || text == \"YES\") ? 1 : 0;"),
    ("engine/SourceEncoding.cpp", "|| c == '_';", "|| c == '_' || c == '-';"),
    ("platform/TextMode_posix.cpp", "if (!S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode)) return EntryKind::Other;", ""),
    ('platform/TextMode_posix.cpp', 'O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC', 'O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC'),
    ("platform/TextMode_posix.cpp", "if (spare != nullptr && stat(", "if (spare == nullptr && stat("),
    ("platform/TextMode_posix.cpp", "|| S_ISDIR(info.st_mode)) {", ") {"),
    ("platform/StdioFile.cpp", "if (std::fclose(stream) != 0 || failed)", "if (std::fclose(stream) != 0)"),
    ("platform/FileSystem_posix.cpp", "} else if (*pattern == '?' || *pattern == *name) {", "} else if (*pattern == *name) {"),
    ("platform/FileSystem_posix.cpp", "if (lstat(path.c_str(), &info) != 0) return false;", "if (stat(path.c_str(), &info) != 0) return false;"),
    ("platform/ProfileStore_posix.cpp", "const CString text = raw.c_str();", "const CString text = raw;"),
    ("platform/ProfileStore_posix.cpp", "} else if (line.kind == IniLine::kEntry && !seen.insert(", "} else if (false && !seen.insert("),
    ("platform/ProfileStore_posix.cpp", "if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return line;",
     "if (trimmed.empty() || trimmed[0] == ';') return line;"),
    ("cli/CommandLine.cpp", "err << \"\\n\";\n    return kCliFailed;", "err << \"\\n\";\n    return status;"),
    ("cli/CommandLine.cpp", "default: status = kCliFailed; break;", "default: break;"),
    ("cli/CommandLine.cpp", "else if (arguments.quiet && status != kCliDone && !ended)",
     "else if (arguments.quiet && status != kCliDone && status != kCliFailed && !ended)"),
    ("cli/HeldLog.cpp", "m_spilled += m_text.size();\n        m_text.clear();", "m_text.clear();"),
    ("cli/CommandLine.cpp", "err << \"brevix-cli: \" << unusable << \"\\n\";", "(void)unusable;"),
    ("engine/Brevix.cpp", "catch (const std::length_error&) {", "catch (const std::out_of_range&) {"),
    ("cli/CommandLine.cpp", "if (arguments.noProfile) {", "if (false) {"),
    ("engine/TagReader.cpp", "m_heldBeforeBang = bang ? m_heldLess : std::min(m_heldBeforeBang, m_heldLess);",
     "m_heldBeforeBang = bang ? m_heldLess : m_heldBeforeBang;"),
    ('engine/TagReader.cpp', "if (greater != kNone && FindByte('?', from, greater) == kNone) return greater;", 'if (greater != kNone) return greater;'),
    ("engine/TagReader.cpp", "static constexpr TagStartSearch markerStarts(\"<?!\");", "static constexpr TagStartSearch markerStarts(\"?!\");"),
    ("engine/TextSearch.cpp", "pattern[last]); mask != 0;\n             mask &= mask - 1)", "pattern[last]); mask != 0;\n             mask = 0)"),
    ("engine/TextSearch.cpp", "(next != '/' || end - less == 2 ||", "(next != '/' ||"),
    ("engine/TextSearch.cpp", "BytesEqual(p + kScanBlock, '<') << kScanBlock", "BytesEqual(p + kScanBlock, '<')"),
    ("engine/TextSearch.cpp", "std::memchr(p, '<', end - 1 - p)", "std::memchr(p, '<', end - p)"),
    ("engine/TextSearch.cpp", "stops(p) | stops(p + kScanBlock) << kScanBlock", "stops(p)"),
    ("engine/TextSearch.cpp", "BytesAmong(at + 2, afterSlash)", "BytesAmong(at + 2, set)"),
    ("engine/FinishPool.cpp", "start = !wake && m_threads.size() < m_maxThreads;", "start = false;"),
    ("platform/TextOutStream.cpp", "if (!m_bFailed && !WriteTextFile(m_file, data, size)) Failed();\n            return;", "return;"),
    ("platform/TextOutStream.cpp", "std::memcpy(m_buffer.get() + m_buffered, data, size);", "std::memcpy(m_buffer.get(), data, size);"),
    ("engine/NameSet.cpp", "return hash != 0 ? hash : 1;", "return hash;"),
    ("engine/NameSet.cpp", "m_slots[i].hash == hash && At(m_slots[i]) == text", "m_slots[i].hash == hash"),
    ("engine/NameSet.cpp", "for (; length >= 0x80; length >>= 7)", "for (; length > 0x80; length >>= 7)"),
    ("engine/NameSet.cpp", "    m_slots.clear();\n    m_count = 0;", "    m_count = 0;"),
    ("engine/FinishPool.cpp", "    oldest.done.store(false, std::memory_order_relaxed);\n", ""),
    ("engine/ChunkNamer.cpp", "path.substr(numberAt, baseEnd - numberAt)", "path.substr(numberAt)"),
]

env = dict(os.environ, GTEST_FAIL_FAST="1", GTEST_BRIEF="1")
killed, survived, broken = [], [], []
for number, (path, text, replacement) in enumerate(MUTANTS, 1):
    if chosen and number not in chosen:
        continue
    label = f"{number:2} {path}: {text.splitlines()[0].strip()[:70]}"
    with open(path, "rb") as f:
        original = f.read()
    source = original.decode()
    if source.count(text) != 1:
        broken.append(label + " (text not found once)")
        print("??", label, "(text not found once)", flush=True)
        continue
    try:
        with open(path, "w") as f:
            f.write(source.replace(text, replacement))
        built = subprocess.run(["cmake", "--build", build, "-j", str(os.cpu_count())],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
        if built:
            suite = subprocess.run(["ctest", "--test-dir", build, "-j", str(os.cpu_count()), "--timeout", "240", "-E", "packages"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
            built = suite.returncode != 0
            (killed if built else survived).append(label)
        else:
            broken.append(label + " (does not build)")
    finally:
        with open(path, "wb") as f:
            f.write(original)
        os.utime(path)
    print("killed " if label in killed else "SURVIVED" if label in survived else "??", label, flush=True)

subprocess.run(["cmake", "--build", build, "-j", str(os.cpu_count())], stdout=subprocess.DEVNULL)
print(f"\nkilled {len(killed)} of {len(killed) + len(survived)}" + (f", {len(broken)} not applied" if broken else ""))
for label in survived:
    print("survivor:", label)
for label in broken:
    print("not applied:", label)
sys.exit(1 if survived or broken else 0)
PY
