#pragma once
// Builds synthetic 32-bit PE images byte by byte for the inspection tests.
// Defaults give a minimal valid library: MZ header with e_lfarlc 0x40,
// e_lfanew 0x80, "PE\0\0", machine i386, IMAGE_FILE_DLL, a PE32 optional
// header of 224 bytes and the section table at N + 248; section data follows
// the table in the order the sections were added.
#include <cstdint>
#include <string>
#include <vector>

class ImageBuilder {
public:
    using Bytes = std::vector<unsigned char>;

    ImageBuilder& Magic(uint16_t value) { m_magic = value; return *this; }
    ImageBuilder& RelocTable(uint16_t value) { m_relocTable = value; return *this; }
    ImageBuilder& NewHeader(uint32_t value) { m_newHeader = value; return *this; }
    ImageBuilder& PeSignature(uint32_t value) { m_peSignature = value; return *this; }
    ImageBuilder& Characteristics(uint16_t value) { m_characteristics = value; return *this; }
    ImageBuilder& SizeOfOptionalHeader(uint16_t value) { m_sizeOfOptionalHeader = value; return *this; }
    // Overrides NumberOfSections (otherwise the number of sections added).
    ImageBuilder& SectionCount(uint16_t value) { m_sectionCount = value; m_sectionCountSet = true; return *this; }

    // A section whose data (placed by the builder) is `data`. The name is
    // copied into the 8-byte field and padded with NULs.
    ImageBuilder& Section(const std::string& name, const std::string& data);
    // A section header with explicit SizeOfRawData and PointerToRawData and
    // no data of its own.
    ImageBuilder& RawSection(const std::string& name, uint32_t sizeOfRawData, uint32_t pointerToRawData);

    Bytes Build() const;

private:
    struct SectionSpec {
        std::string name;
        std::string data;
        bool placed;
        uint32_t sizeOfRawData;
        uint32_t pointerToRawData;
    };

    uint16_t m_magic = 0x5A4D;
    uint16_t m_relocTable = 0x40;
    uint32_t m_newHeader = 0x80;
    uint32_t m_peSignature = 0x00004550;
    uint16_t m_characteristics = 0x2102;  // DLL | 32-bit machine | executable
    uint16_t m_sizeOfOptionalHeader = 224;
    uint16_t m_sectionCount = 0;
    bool m_sectionCountSet = false;
    std::vector<SectionSpec> m_sections;
};

// Texts with embedded NULs: S("ab\0c") keeps all four bytes.
template <size_t N>
std::string S(const char (&text)[N]) { return std::string(text, N - 1); }

void Put16(ImageBuilder::Bytes& bytes, size_t offset, uint16_t value);
void Put32(ImageBuilder::Bytes& bytes, size_t offset, uint32_t value);
