#include "tests/native/ImageBuilder.h"

#include <algorithm>
#include <cstring>

void Put16(ImageBuilder::Bytes& bytes, size_t offset, uint16_t value) {
    if (bytes.size() < offset + 2) bytes.resize(offset + 2);
    bytes[offset] = static_cast<unsigned char>(value);
    bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}

void Put32(ImageBuilder::Bytes& bytes, size_t offset, uint32_t value) {
    Put16(bytes, offset, static_cast<uint16_t>(value));
    Put16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

ImageBuilder& ImageBuilder::Section(const std::string& name, const std::string& data) {
    m_sections.push_back({name, data, true, 0, 0});
    return *this;
}

ImageBuilder& ImageBuilder::RawSection(const std::string& name, uint32_t sizeOfRawData, uint32_t pointerToRawData) {
    m_sections.push_back({name, std::string(), false, sizeOfRawData, pointerToRawData});
    return *this;
}

ImageBuilder::Bytes ImageBuilder::Build() const {
    Bytes bytes(64, 0);
    Put16(bytes, 0, m_magic);
    Put16(bytes, 24, m_relocTable);
    Put32(bytes, 60, m_newHeader);

    const size_t n = m_newHeader;
    const size_t table = n + 248;
    const size_t tableEnd = table + 40 * m_sections.size();
    bytes.resize(std::max(bytes.size(), tableEnd), 0);
    Put32(bytes, n, m_peSignature);
    Put16(bytes, n + 4, 0x014C);  // Machine: i386
    Put16(bytes, n + 6, m_sectionCountSet ? m_sectionCount : static_cast<uint16_t>(m_sections.size()));
    Put16(bytes, n + 20, m_sizeOfOptionalHeader);
    Put16(bytes, n + 22, m_characteristics);
    Put16(bytes, n + 24, 0x010B);  // PE32 optional header magic

    size_t dataOffset = tableEnd;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const SectionSpec& section = m_sections[i];
        const size_t header = table + 40 * i;
        std::memcpy(&bytes[header], section.name.data(), std::min<size_t>(section.name.size(), 8));
        uint32_t size = section.sizeOfRawData;
        uint32_t pointer = section.pointerToRawData;
        if (section.placed) {
            size = static_cast<uint32_t>(section.data.size());
            pointer = static_cast<uint32_t>(dataOffset);
            bytes.resize(dataOffset + section.data.size(), 0);
            std::memcpy(bytes.data() + dataOffset, section.data.data(), section.data.size());
            dataOffset += section.data.size();
        }
        Put32(bytes, header + 16, size);
        Put32(bytes, header + 20, pointer);
    }
    return bytes;
}
