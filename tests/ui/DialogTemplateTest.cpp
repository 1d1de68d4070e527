// The compiled templates 129 and 130, read back from the resources byte by byte.
#include "ui/resource.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
const WORD kButtonAtom = 0x0080;
const WORD kStaticAtom = 0x0082;
const WORD kListBoxAtom = 0x0083;
const DWORD kDialogStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;
const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_SORT |
                         LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;

// Reads a DLGTEMPLATE; every read is checked against the block's size.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }

    WORD Word() {
        if (m_at + 2 > m_size) return Fail();
        WORD value = static_cast<WORD>(m_data[m_at] | m_data[m_at + 1] << 8);
        m_at += 2;
        return value;
    }
    DWORD Dword() { return Word() | static_cast<DWORD>(Word()) << 16; }
    short Short() { return static_cast<short>(Word()); }
    void AlignToDword() { m_at = (m_at + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { m_at += bytes; }

    // A text, or the ordinal (with an empty text) when the field is one.
    std::string TextOrOrdinal(WORD& ordinal) {
        ordinal = 0;
        WORD first = Word();
        if (first == 0xFFFF) {
            ordinal = Word();
            return {};
        }
        std::string text;
        for (WORD ch = first; m_ok && ch != 0; ch = Word()) text += ch < 0x80 ? static_cast<char>(ch) : '?';
        return text;
    }
    std::string Text() {
        WORD ordinal;
        return TextOrOrdinal(ordinal);
    }

private:
    WORD Fail() {
        m_ok = false;
        m_at = m_size;
        return 0;
    }
    const BYTE* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

struct Item {
    WORD id;
    WORD classAtom;  // 0 when the class is named by text
    std::string className;
    std::string text;
    WORD textOrdinal;
    DWORD style;
    short x, y, cx, cy;
};

struct Template {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu, windowClass, caption, font;
    WORD menuOrdinal = 0, classOrdinal = 0, pointSize = 0;
    std::vector<Item> items;
    std::vector<DWORD> itemExStyles;
};

// The U.S. English template `id` of this program.
bool LoadTemplate(UINT id, Template& parsed) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!resource) return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    if (!data) return false;
    TemplateReader reader(data, SizeofResource(module, resource));
    parsed.style = reader.Dword();
    parsed.exStyle = reader.Dword();
    const WORD count = reader.Word();
    parsed.x = reader.Short();
    parsed.y = reader.Short();
    parsed.cx = reader.Short();
    parsed.cy = reader.Short();
    parsed.menu = reader.TextOrOrdinal(parsed.menuOrdinal);
    parsed.windowClass = reader.TextOrOrdinal(parsed.classOrdinal);
    parsed.caption = reader.Text();
    if (parsed.style & DS_SETFONT) {
        parsed.pointSize = reader.Word();
        parsed.font = reader.Text();
    }
    for (WORD i = 0; i < count && reader.ok(); ++i) {
        reader.AlignToDword();
        Item item{};
        item.style = reader.Dword();
        parsed.itemExStyles.push_back(reader.Dword());
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = reader.Word();
        item.className = reader.TextOrOrdinal(item.classAtom);
        item.text = reader.TextOrOrdinal(item.textOrdinal);
        reader.Skip(reader.Word());  // creation data
        parsed.items.push_back(item);
    }
    return reader.ok();
}

// What a template row says about one control.
struct Expected {
    WORD id;
    WORD classAtom;
    const char* text;
    DWORD style;
    short x, y, cx, cy;
};

void ExpectTemplate(UINT id, const char* caption, const std::vector<Expected>& controls) {
    Template parsed;
    ASSERT_TRUE(LoadTemplate(id, parsed)) << "template " << id;
    EXPECT_EQ(parsed.style, kDialogStyle) << std::hex << parsed.style;
    EXPECT_EQ(parsed.style & WS_SYSMENU, 0u) << "no close box";
    EXPECT_EQ(parsed.exStyle, 0u);
    EXPECT_EQ(parsed.x, 0);
    EXPECT_EQ(parsed.y, 0);
    EXPECT_EQ(parsed.cx, 235);
    EXPECT_EQ(parsed.cy, 125);
    EXPECT_TRUE(parsed.menu.empty() && parsed.menuOrdinal == 0) << "no menu";
    EXPECT_TRUE(parsed.windowClass.empty() && parsed.classOrdinal == 0) << "default dialog class";
    EXPECT_EQ(parsed.caption, caption);
    EXPECT_EQ(parsed.pointSize, 8);
    EXPECT_EQ(parsed.font, "MS Sans Serif");
    ASSERT_EQ(parsed.items.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Item& item = parsed.items[i];
        const Expected& want = controls[i];
        EXPECT_EQ(item.id, want.id) << "control " << i;
        EXPECT_EQ(item.classAtom, want.classAtom) << "control " << i << " class " << item.className;
        EXPECT_EQ(item.text, want.text) << "control " << i;
        EXPECT_EQ(item.textOrdinal, 0) << "control " << i;
        EXPECT_EQ(item.style, want.style) << "control " << i << std::hex << " style " << item.style;
        EXPECT_EQ(parsed.itemExStyles[i], 0u) << "control " << i;
        EXPECT_EQ(item.x, want.x) << "control " << i;
        EXPECT_EQ(item.y, want.y) << "control " << i;
        EXPECT_EQ(item.cx, want.cx) << "control " << i;
        EXPECT_EQ(item.cy, want.cy) << "control " << i;
    }
}
}  // namespace

TEST(DialogTemplates, NewSnapinsTemplate) {
    ExpectTemplate(IDD_NEW_SNAPINS, "New Snapins Installed",
                   {{IDOK, kButtonAtom, "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 178, 104, 50, 14},
                    {1000, kListBoxAtom, "", kListStyle, 7, 19, 221, 80},
                    {0xFFFF, kStaticAtom, "Select the Snap-ins you would like enabled.",
                     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 7, 221, 8}});
}

TEST(DialogTemplates, SnapinConfigurationTemplate) {
    ExpectTemplate(IDD_SNAPIN_CONFIG, "Snapin Configuration",
                   {{IDOK, kButtonAtom, "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 123, 104, 50, 14},
                    {IDCANCEL, kButtonAtom, "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 178, 104, 50, 14},
                    {0xFFFF, kStaticAtom, "Enabled Snapins:", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 7, 73, 8},
                    {1003, kListBoxAtom, "", kListStyle | LBS_NOTIFY, 7, 19, 221, 80}});
}
