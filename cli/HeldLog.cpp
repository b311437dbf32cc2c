#include "HeldLog.h"

#include <algorithm>

HeldLog::~HeldLog() {
    if (m_file != nullptr) std::fclose(m_file);
}

void HeldLog::Add(const CString& lines) {
    m_text += lines;
    if (m_text.size() < m_memoryLimit || m_bNoFile) return;
    if (m_file == nullptr) m_file = std::tmpfile();
    if (m_file != nullptr && std::fwrite(m_text.data(), 1, m_text.size(), m_file) == m_text.size()) {
        m_spilled += m_text.size();
        m_text.clear();
    } else {
        m_bNoFile = true;
    }
}

void HeldLog::WriteTo(std::ostream& out) {
    char block[1 << 16];
    if (m_file != nullptr && std::fflush(m_file) == 0 && std::fseek(m_file, 0, SEEK_SET) == 0) {
        for (uint64_t left = m_spilled; left != 0;) {
            size_t got = std::fread(block, 1, static_cast<size_t>(std::min<uint64_t>(left, sizeof block)), m_file);
            if (got == 0) break;
            out.write(block, static_cast<std::streamsize>(got));
            left -= got;
        }
    }
    out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
}
