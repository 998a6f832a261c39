// Reads the resources that Update.exe carries (this test links the same compiled object) the
// way the system does, and compares every field with what the dialogs, the icon and the
// manifest must be.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

constexpr WORD kJapanese = 1041;
constexpr WORD kEnglishUs = 1033;

BOOL CALLBACK addLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
}

BOOL CALLBACK addId(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    reinterpret_cast<std::set<uintptr_t>*>(found)->insert(IS_INTRESOURCE(name) ? uintptr_t(name) : 0);
    return TRUE;
}

// The bytes of a resource that exists in exactly the one language given.
std::vector<uint8_t> resource(LPCSTR type, WORD id, WORD language) {
    std::set<WORD> languages;
    EnumResourceLanguagesA(nullptr, type, MAKEINTRESOURCEA(id), addLanguage, LONG_PTR(&languages));
    EXPECT_EQ(languages, std::set<WORD>{language}) << "resource " << id;
    HRSRC info = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), language);
    if (!info) return {};
    auto data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, info)));
    return std::vector<uint8_t>(data, data + SizeofResource(nullptr, info));
}

class Reader {
public:
    explicit Reader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint32_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : (overrun = true, 0); }
    uint32_t word() { return byte() | byte() << 8; }
    uint32_t dword() { return word() | word() << 16; }
    int coordinate() { return int16_t(word()); }
    std::u16string text() {
        std::u16string value;
        for (char16_t c = word(); c && !overrun; c = word()) value += c;
        return value;
    }
    // A template's name-or-ordinal field: "#n" for an ordinal, else the string.
    std::u16string nameOrOrdinal() {
        uint32_t first = word();
        if (first == 0xFFFF) return u"#" + asText(word());
        return first ? char16_t(first) + text() : u"";
    }
    void align() { at_ = (at_ + 3) & ~size_t{3}; }
    bool atEnd() const { return at_ == bytes_.size(); }
    bool overrun = false;

private:
    static std::u16string asText(uint32_t n) { return n ? asText(n / 10) + char16_t(u'0' + n % 10) : u""; }
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
};

struct Control {
    uint32_t id;
    std::u16string cls;  // "#128" Button, "#130" Static, or the class name in small letters
    std::u16string text;
    int x, y, cx, cy;
    uint32_t style;
    bool operator==(const Control& o) const {
        return id == o.id && cls == o.cls && text == o.text && x == o.x && y == o.y && cx == o.cx && cy == o.cy &&
               style == o.style;
    }
};

std::ostream& operator<<(std::ostream& out, const Control& c) {
    return out << "id " << c.id << " at " << c.x << "," << c.y << " " << c.cx << "x" << c.cy << " style " << std::hex
               << c.style << std::dec << " class/text length " << c.cls.size() << "/" << c.text.size();
}

// The whole template, field by field, against its caption, size and controls.
void expectTemplate(WORD id, const std::u16string& caption, int cx, int cy, const std::vector<Control>& controls) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    Reader in(resource(RT_DIALOG, id, kJapanese));
    EXPECT_EQ(in.word(), 1u);       // version
    EXPECT_EQ(in.word(), 0xFFFFu);  // extended template
    EXPECT_EQ(in.dword(), 0u);      // help identifier
    EXPECT_EQ(in.dword(), 0u);      // extended style
    EXPECT_EQ(in.dword(), 0x80C808C0u) << "WS_POPUP|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_CENTER|DS_SETFONT";
    uint32_t count = in.word();
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), 0);
    EXPECT_EQ(in.coordinate(), cx);
    EXPECT_EQ(in.coordinate(), cy);
    EXPECT_TRUE(in.nameOrOrdinal().empty()) << "menu";
    EXPECT_TRUE(in.nameOrOrdinal().empty()) << "dialog class";
    EXPECT_TRUE(in.text() == caption);
    EXPECT_EQ(in.word(), 9u);           // points
    EXPECT_EQ(in.word(), 0u);           // weight
    EXPECT_EQ(in.word(), 0u);           // not italic, character set 0
    EXPECT_TRUE(in.text() == u"ＭＳ Ｐゴシック");
    std::vector<Control> actual;
    for (uint32_t i = 0; i < count; ++i) {
        in.align();
        EXPECT_EQ(in.dword(), 0u) << "help identifier of control " << i;
        EXPECT_EQ(in.dword(), 0u) << "extended style of control " << i;
        Control c{};
        c.style = in.dword();
        c.x = in.coordinate();
        c.y = in.coordinate();
        c.cx = in.coordinate();
        c.cy = in.coordinate();
        c.id = in.dword();
        c.cls = in.nameOrOrdinal();
        // windres stores a class name in capitals; the system compares them without case.
        for (char16_t& ch : c.cls) ch = (ch >= u'A' && ch <= u'Z') ? ch + 32 : ch;
        c.text = in.nameOrOrdinal();
        EXPECT_EQ(in.word(), 0u) << "creation data of control " << i;
        actual.push_back(c);
    }
    EXPECT_TRUE(!in.overrun && in.atEnd()) << "the template's length";
    ASSERT_EQ(actual.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(actual[i], controls[i]) << "control " << i;
}

TEST(CompiledResources, DialogTemplates) {
    expectTemplate(IDD_CONFIRM, u"アップデート", 219, 81, {
        {IDOK, u"#128", u"OK", 7, 60, 60, 14, 0x50010001},
        {IDCANCEL, u"#128", u"ｷｬﾝｾﾙ", 152, 60, 60, 14, 0x50010000},
        {IDC_MESSAGE, u"#130", u"-のアップデートを行います", 7, 9, 205, 8, 0x50020201},
        {0xFFFFFFFF, u"#130", u"よろしいですか？", 7, 23, 205, 8, 0x50020001},
        {IDC_NOTE, u"#130", u"-追加文章用-", 5, 43, 205, 8, 0x50020201},
    });
    expectTemplate(IDD_PROGRESS, u"アップデート中", 218, 61, {
        {IDCANCEL, u"#128", u"ｷｬﾝｾﾙ", 151, 40, 60, 14, 0x50010000},
        {IDC_PROGRESS, u"msctls_progress32", u"Progress1", 7, 21, 204, 14, 0x50800000},
        {IDC_STATUS, u"#130", u"Static", 7, 7, 131, 8, 0x50020000},
    });
}

TEST(CompiledResources, NothingButTheseResources) {
    for (auto [type, ids] : std::map<LPCSTR, std::set<uintptr_t>>{{RT_DIALOG, {IDD_CONFIRM, IDD_PROGRESS}},
                                                                 {RT_GROUP_ICON, {IDI_UPDATE}},
                                                                 {RT_ICON, {1}},
                                                                 {RT_MANIFEST, {1}},
                                                                 {RT_STRING, {}},
                                                                 {RT_MENU, {}}}) {
        std::set<uintptr_t> found;
        EnumResourceNamesA(nullptr, type, addId, LONG_PTR(&found));
        EXPECT_EQ(found, ids) << "type " << uintptr_t(type);
    }
}

TEST(CompiledResources, IconIsOne32By32ImageIn16Colours) {
    Reader group(resource(RT_GROUP_ICON, IDI_UPDATE, kJapanese));
    EXPECT_EQ(group.word(), 0u);
    EXPECT_EQ(group.word(), 1u);  // icons
    EXPECT_EQ(group.word(), 1u);  // one image
    EXPECT_EQ(group.dword(), 0x00102020u);  // 32 x 32, 16 colours
    EXPECT_EQ(group.dword(), 0x00040001u);  // one plane, 4 bits a pixel
    uint32_t size = group.dword();
    EXPECT_EQ(group.word(), 1u);  // the image's identifier
    EXPECT_TRUE(group.atEnd());

    std::vector<uint8_t> image = resource(RT_ICON, 1, kJapanese);
    // Header, 16 colours, the 4-bit colour plane and the 1-bit mask.
    ASSERT_EQ(image.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);
    EXPECT_EQ(size, image.size());
    BITMAPINFOHEADER header = *reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64);
    EXPECT_EQ(header.biBitCount, 4);
    HICON icon = CreateIconFromResourceEx(image.data(), image.size(), TRUE, 0x00030000, 32, 32, 0);
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
}

TEST(CompiledResources, ManifestAsksForCommonControls6AndTheHighestAvailableRights) {
    std::vector<uint8_t> bytes = resource(RT_MANIFEST, 1, kEnglishUs);
    std::string xml(bytes.begin(), bytes.end());
    // Every element as its path from the root and its attributes, in document order.
    std::vector<std::string> elements, open;
    std::regex tag(R"(<(/?)([A-Za-z]+)([^>]*?)(/?)>)"), attribute(R"~(\s(\w+)="([^"]*)")~");
    for (std::sregex_iterator t(xml.begin(), xml.end(), tag), end; t != end; ++t) {
        if ((*t)[1] == "/") {
            if (!open.empty()) open.pop_back();
            continue;
        }
        std::string path;
        for (const std::string& parent : open) path += parent + "/";
        path += (*t)[2].str();
        std::string attributes = (*t)[3];
        std::map<std::string, std::string> sorted;
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a) sorted[(*a)[1]] = (*a)[2];
        for (const auto& [name, value] : sorted) path += " " + name + "=" + value;
        elements.push_back(path);
        if ((*t)[4] != "/") open.push_back((*t)[2]);
    }
    const std::string assembly = "assembly/", dependency = assembly + "dependency/dependentAssembly";
    // The 64-bit build, which stands in where Wine runs only 64-bit programs, names amd64.
    const bool amd64 = sizeof(void*) == 8;
    const std::string own = amd64 ? "amd64" : "X86", common = amd64 ? "amd64" : "x86";
    const std::string privileges = assembly + "trustInfo/security/requestedPrivileges";
    EXPECT_EQ(elements, (std::vector<std::string>{
        "assembly manifestVersion=1.0 xmlns=urn:schemas-microsoft-com:asm.v1",
        assembly + "assemblyIdentity name=Update.exe processorArchitecture=" + own + " type=win32 version=1.0.0.0",
        assembly + "dependency",
        dependency,
        dependency + "/assemblyIdentity language=* name=Microsoft.Windows.Common-Controls processorArchitecture=" + common +
            " publicKeyToken=6595b64144ccf1df type=win32 version=6.0.0.0",
        assembly + "trustInfo xmlns=urn:schemas-microsoft-com:asm.v3",
        assembly + "trustInfo/security",
        privileges,
        privileges + "/requestedExecutionLevel level=highestAvailable uiAccess=false",
        assembly + "compatibility xmlns=urn:schemas-microsoft-com:compatibility.v1",
        assembly + "compatibility/application",
        assembly + "compatibility/application/supportedOS Id={35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    }));
}

TEST(CompiledResources, ManifestAloneMakesTheProgressBarAvailable) {
    // The loader made this process's activation context from the manifest; through it the
    // class is the common controls 6.0's, under either case of its name.
    for (const wchar_t* name : {L"msctls_progress32", L"MSCTLS_PROGRESS32"}) {
        ACTCTX_SECTION_KEYED_DATA data{};
        data.cbSize = sizeof data;
        EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_WINDOW_CLASS_REDIRECTION, name, &data));
    }
    EXPECT_EQ(GetModuleHandleA("comctl32.dll"), nullptr) << "nothing imports the library";
}

}  // namespace
