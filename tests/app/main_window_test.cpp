// The main window as a user and the system see it, read back from the live window.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "main_window.h"
#include "window_test_support.h"

namespace orvanta {
namespace {

using testing::MainWindowSession;
using testing::children_top_down;
using testing::class_name;
using testing::window_text;

constexpr DWORD kButtonStyle =
    WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
constexpr DWORD kGroupStyle = WS_CHILD | WS_CLIPSIBLINGS | BS_GROUPBOX | BS_LEFT;
constexpr DWORD kEditStyle = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | ES_LEFT | ES_MULTILINE |
                             ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr DWORD kLabelStyle = WS_CHILD | WS_CLIPSIBLINGS;

enum class Font { song_bold, song_normal, gui, none };

struct Expected {
    Control name;
    const char* window_class;
    std::optional<Control> parent; // none: the main window
    RECT bounds;                   // left, top, right, bottom in the parent's client area
    const char* text;
    Font font;
    DWORD style;
    DWORD extended_style;
};

// The design's table, written out again here so the program's own copy is checked against it.
const Expected kExpected[] = {
    {Control::按钮1, "Button", std::nullopt, {8, 368, 136, 400}, "翻译", Font::song_bold, kButtonStyle, 0},
    {Control::分组框1, "Button", std::nullopt, {7, 2, 480, 160}, "原文,仅支持中译英", Font::gui, kGroupStyle, 0},
    {Control::编辑框1, "Edit", Control::分组框1, {8, 16, 465, 126}, "", Font::song_normal, kEditStyle, WS_EX_CLIENTEDGE},
    {Control::编辑框2, "Edit", Control::分组框2, {8, 16, 465, 184}, "", Font::song_normal, kEditStyle, WS_EX_CLIENTEDGE},
    {Control::分组框2, "Button", std::nullopt, {8, 168, 481, 360}, "译文,翻译的结果", Font::gui, kGroupStyle, 0},
    {Control::按钮2, "Button", Control::分组框1, {7, 129, 169, 152}, "复制粘贴的内容到原文框", Font::song_normal, kButtonStyle, 0},
    {Control::按钮3, "Button", Control::分组框1, {305, 129, 467, 152}, "清空原文", Font::song_normal, kButtonStyle, 0},
    {Control::按钮4, "Button", std::nullopt, {354, 368, 482, 400}, "复制译文", Font::song_bold, kButtonStyle, 0},
    {Control::按钮5, "Button", std::nullopt, {216, 368, 344, 400}, "获取程序源码", Font::song_bold, kButtonStyle, 0},
    {Control::标签1, kLabelClass, Control::分组框1, {209, 78, 241, 86}, "", Font::none, kLabelStyle, 0},
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(session_.window(), nullptr); }

    MainWindowSession session_;
};

RECT bounds_in_parent(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void expect_song_font(HFONT font, LONG weight)
{
    LOGFONTA actual{};
    ASSERT_EQ(GetObjectA(font, sizeof actual, &actual), static_cast<int>(sizeof actual));
    LOGFONTA expected{};
    expected.lfHeight = -14;
    expected.lfWeight = weight;
    expected.lfCharSet = DEFAULT_CHARSET;
    expected.lfQuality = PROOF_QUALITY;
    std::strcpy(expected.lfFaceName, "\xCB\xCE\xCC\xE5"); // 宋体 in GBK
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
        << "height " << actual.lfHeight << " weight " << actual.lfWeight << " charset " << int{actual.lfCharSet}
        << " quality " << int{actual.lfQuality} << " face " << actual.lfFaceName;
}

TEST_F(MainWindowTest, FrameCaptionStylesAndPlaceOnTheScreen)
{
    const HWND window = session_.window();
    EXPECT_EQ(window_text(window), "Orvanta  -  F4\xBF\xC9\xD2\xFE\xB2\xD8/\xBA\xF4\xB3\xF6"); // "F4可隐藏/呼出" in GBK
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

    const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
    // CreateWindowEx adds WS_CLIPSIBLINGS to every top-level window.
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
    EXPECT_TRUE(style & WS_VISIBLE);
    // The system adds WS_EX_WINDOWEDGE to every window with a caption.
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);

    RECT rect{};
    GetWindowRect(window, &rect);
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(rect.left, (screen_width - 493) / 2) << "screen width " << screen_width;
    EXPECT_EQ(rect.top, (screen_height - 435) / 2) << "screen height " << screen_height;
    EXPECT_EQ(rect.right - rect.left, 493);
    EXPECT_EQ(rect.bottom - rect.top, 435);

    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(MainWindowTest, IconsComeFromTheProgramsResource)
{
    const struct {
        int index;
        int size;
    } icons[] = {{GCLP_HICON, GetSystemMetrics(SM_CXICON)}, {GCLP_HICONSM, GetSystemMetrics(SM_CXSMICON)}};
    for (const auto& icon : icons) {
        const auto handle = reinterpret_cast<HICON>(GetClassLongPtrA(session_.window(), icon.index));
        ASSERT_NE(handle, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(handle, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, icon.size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_NE(LoadImageA(GetModuleHandleA(nullptr), "DEFAULT_ICON", IMAGE_ICON, 48, 48, LR_SHARED), nullptr);
}

TEST_F(MainWindowTest, ControlsMatchTheDesign)
{
    const HFONT gui_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Expected& expected : kExpected) {
        const HWND window = control(expected.name);
        SCOPED_TRACE(expected.text[0] != '\0' ? expected.text : expected.window_class);
        ASSERT_NE(window, nullptr);

        EXPECT_EQ(class_name(window), expected.window_class);
        EXPECT_EQ(GetParent(window), expected.parent ? control(*expected.parent) : session_.window());
        const RECT bounds = bounds_in_parent(window);
        EXPECT_EQ(bounds.left, expected.bounds.left);
        EXPECT_EQ(bounds.top, expected.bounds.top);
        EXPECT_EQ(bounds.right, expected.bounds.right);
        EXPECT_EQ(bounds.bottom, expected.bounds.bottom);
        EXPECT_EQ(window_text(window), expected.text);

        const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
        EXPECT_EQ(style & ~WS_VISIBLE, expected.style) << std::hex << style;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)), expected.extended_style);
        EXPECT_EQ(IsWindowVisible(window) != FALSE, expected.name != Control::标签1);

        const auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
        switch (expected.font) {
        case Font::song_bold:
            expect_song_font(font, 700);
            break;
        case Font::song_normal:
            expect_song_font(font, 400);
            break;
        case Font::gui:
            EXPECT_EQ(font, gui_font);
            break;
        case Font::none:
            EXPECT_EQ(font, nullptr);
            break;
        }
    }
    // One font object per weight, shared by the controls that use it.
    EXPECT_EQ(SendMessageA(control(Control::按钮1), WM_GETFONT, 0, 0),
              SendMessageA(control(Control::按钮4), WM_GETFONT, 0, 0));
}

TEST_F(MainWindowTest, StackingOrderTopDown)
{
    const auto names = [](const std::vector<Control>& controls) {
        std::vector<HWND> windows;
        for (const Control name : controls) windows.push_back(control(name));
        return windows;
    };
    EXPECT_EQ(children_top_down(session_.window()),
              names({Control::按钮5, Control::按钮4, Control::分组框2, Control::分组框1, Control::按钮1}));
    EXPECT_EQ(children_top_down(control(Control::分组框1)),
              names({Control::标签1, Control::按钮3, Control::按钮2, Control::编辑框1}));
    EXPECT_EQ(children_top_down(control(Control::分组框2)), names({Control::编辑框2}));
}

TEST_F(MainWindowTest, LabelIsOfItsOwnClass)
{
    WNDCLASSEXA label_class{};
    label_class.cbSize = sizeof label_class;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), kLabelClass, &label_class));
    EXPECT_EQ(label_class.style, static_cast<UINT>(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(label_class.hbrBackground, nullptr);
    EXPECT_EQ(label_class.hCursor, LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(MainWindowTest, TextBoxesStartEmptyWithNoTypingLimitAndTheCaretAtTheStart)
{
    for (const Control box : {Control::编辑框1, Control::编辑框2}) {
        const HWND window = control(box);
        // EM_LIMITTEXT(0) lifts the limit to the system maximum; the default is 30000.
        EXPECT_GT(static_cast<unsigned long long>(SendMessageA(window, EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEull);
        DWORD start = 1, end = 1;
        SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 0u);
    }
}

TEST_F(MainWindowTest, FirstFocusIsOnTheTranslateButton)
{
    EXPECT_EQ(GetFocus(), control(Control::按钮1));
}

TEST_F(MainWindowTest, FrameOffersNoResizing)
{
    const HWND window = session_.window();
    RECT rect{};
    GetWindowRect(window, &rect);
    for (const LPARAM point : {MAKELPARAM(rect.left, rect.top), MAKELPARAM(rect.left, rect.top + 200),
                               MAKELPARAM(rect.right - 1, rect.bottom - 1)}) {
        const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, point);
        EXPECT_TRUE(hit == HTBORDER || hit == HTCAPTION || hit == HTNOWHERE) << hit;
    }
}

class TextBoxTest : public MainWindowTest {
protected:
    // Counts the content-changed notifications the main window receives from a box.
    static LRESULT CALLBACK counting_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) ++changes_[reinterpret_cast<HWND>(lparam)];
        return CallWindowProcA(previous_, window, message, wparam, lparam);
    }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        changes_.clear();
        previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(session_.window(), GWLP_WNDPROC,
                                                                reinterpret_cast<LONG_PTR>(&counting_procedure)));
    }

    static inline WNDPROC previous_ = nullptr;
    static inline std::map<HWND, int> changes_;
};

TEST_F(TextBoxTest, WritesAreExactAndEachRaisesOneChange)
{
    std::string long_text; // beyond the edit control's default limit of 30000
    while (long_text.size() < 40000) long_text += std::string(78, 'x') + "\r\n";
    const std::string texts[] = {
        "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7", // 你好，世界 in GBK
        "one\ntwo\nthree",                           // lone LF bytes stay as they are
        "one\r\ntwo",
        "same",
        "same", // written again although nothing changes
        long_text,
        "",
    };
    for (const Control box : {Control::编辑框1, Control::编辑框2}) {
        int writes = 0;
        for (const std::string& text : texts) {
            write_text(box, text);
            ++writes;
            EXPECT_EQ(read_text(box), text) << "box " << static_cast<int>(box) << ", text of " << text.size();
            EXPECT_EQ(changes_[control(box)], writes);
        }
    }
}

TEST_F(TextBoxTest, ReadingSeesWhatTheUserTypedLast)
{
    write_text(Control::编辑框1, "abc");
    SendMessageA(control(Control::编辑框1), EM_SETSEL, 3, 3);
    SendMessageA(control(Control::编辑框1), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("def"));
    EXPECT_EQ(read_text(Control::编辑框1), "abcdef");
}

TEST_F(MainWindowTest, VisibilityReadAndWrite)
{
    ASSERT_TRUE(main_window_visible());
    set_main_window_visible(false);
    EXPECT_FALSE(IsWindowVisible(session_.window()));
    EXPECT_FALSE(main_window_visible());
    set_main_window_visible(true);
    EXPECT_TRUE(IsWindowVisible(session_.window()));
    EXPECT_TRUE(main_window_visible());

    // A minimised window that is shown still counts as visible.
    ShowWindow(session_.window(), SW_MINIMIZE);
    EXPECT_TRUE(main_window_visible());
    set_main_window_visible(false);
    set_main_window_visible(true);
    EXPECT_TRUE(IsIconic(session_.window())) << "showing does not restore";
}

TEST_F(MainWindowTest, AgreesToEndTheSessionAndPostsQuitWhenDestroyed)
{
    EXPECT_EQ(SendMessageA(session_.window(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(session_.window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(session_.window()));
    EXPECT_EQ(main_window(), nullptr);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

TEST(ProgramFolder, IsThePathUpToTheLastBackslashOfACharacterBoundary)
{
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\Program Files\\Orvanta\\orvanta.exe", "C:\\Program Files\\Orvanta"},
        {"C:\\orvanta.exe", "C:\\"},
        {"\\\\server\\share\\orvanta.exe", "\\\\server\\share"},
        // 乗 is 81 5C in GBK: its second byte is a backslash but not a separator.
        {"C:\\\x81\x5C\\orvanta.exe", "C:\\\x81\x5C"},
        {"C:\\a\x81\x5C" "b.exe", "C:\\"},
        {"orvanta.exe", ""},
    };
    for (const auto& [path, folder] : cases) EXPECT_EQ(folder_of(path), folder) << path;
}

TEST(ProgramFolder, BecomesTheCurrentDirectory)
{
    SetCurrentDirectoryA("C:\\");
    enter_program_folder();
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(std::string(current), std::string(folder_of(program)));
    EXPECT_NE(std::string(current), "C:\\");
}

} // namespace
} // namespace orvanta
