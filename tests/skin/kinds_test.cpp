// Which windows the skin wraps: the kinds table, on real windows, found both by the enumeration when
// the skin goes on and by the hook when they are created later.
#include "skin.h"
#include "skin_test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>

namespace orvanta::skin::test {
namespace {

struct KindCase {
    const char* what;
    const char* class_name;
    DWORD style;
    const char* text;
    std::optional<Kind> expected;
};

constexpr DWORD child = WS_CHILD | WS_VISIBLE;

const KindCase kind_cases[] = {
    {"push button", "Button", child | BS_PUSHBUTTON, "OK", Kind::push_button},
    {"default push button", "Button", child | BS_DEFPUSHBUTTON, "OK", Kind::push_button},
    {"bitmap push button", "Button", child | BS_PUSHBUTTON | BS_BITMAP, "OK", std::nullopt},
    {"owner-drawn button", "Button", child | BS_OWNERDRAW, "OK", std::nullopt},
    {"captionless tab-stop child", "Button", WS_CHILD | WS_TABSTOP, "", std::nullopt},
    {"captioned tab-stop child", "Button", WS_CHILD | WS_TABSTOP, "OK", Kind::push_button},
    {"check box", "Button", child | BS_AUTOCHECKBOX, "Check", Kind::check_box},
    {"three-state box", "Button", child | BS_3STATE, "Check", Kind::check_box},
    {"push-like check box", "Button", child | BS_AUTOCHECKBOX | BS_PUSHLIKE, "Check", Kind::push_button},
    {"radio button", "Button", child | BS_AUTORADIOBUTTON, "Radio", Kind::radio_button},
    {"push-like radio button", "Button", child | BS_RADIOBUTTON | BS_PUSHLIKE, "Radio", Kind::push_button},
    {"group box", "Button", child | BS_GROUPBOX, "Group", Kind::group_box},
    {"text box", "Edit", child | WS_BORDER, "", Kind::text_box},
    {"drop-down list", "ComboBox", child | CBS_DROPDOWNLIST, "", Kind::combo_box},
    {"simple combo box", "ComboBox", child | CBS_SIMPLE, "", std::nullopt},
    {"up-down control", UPDOWN_CLASSA, child, "", Kind::up_down},
    {"list box", "ListBox", child, "", std::nullopt},
    {"label", "Static", child, "Label", std::nullopt},
    {"hot key control", HOTKEY_CLASSA, child, "", std::nullopt},
    {"list view", WC_LISTVIEWA, child, "", std::nullopt},
};

class SkinKinds : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                     ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS | ICC_LISTVIEW_CLASSES |
                                         ICC_INTERNET_CLASSES};
        InitCommonControlsEx(&classes);
    }
    void TearDown() override { switch_skin(0); }

    HWND make(const KindCase& c)
    {
        return CreateWindowExA(0, c.class_name, c.text, c.style, 0, 0, 120, 60, host.main, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    void expect_kinds(const std::vector<HWND>& windows, const char* path)
    {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const KindCase& c = kind_cases[i];
            ASSERT_NE(windows[i], nullptr) << c.what;
            EXPECT_EQ(wrapped_kind(windows[i]), c.expected) << c.what << ", " << path;
        }
    }

    TestWindow host;
};

TEST_F(SkinKinds, ExistingAndLaterWindowsAreWrappedByTheTable)
{
    std::vector<HWND> before;
    for (const KindCase& c : kind_cases) before.push_back(make(c));
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    std::vector<HWND> after;
    for (const KindCase& c : kind_cases) after.push_back(make(c));

    expect_kinds(before, "existing window");
    expect_kinds(after, "window created later");
    EXPECT_EQ(wrapped_kind(host.main), std::nullopt) << "the top-level window keeps its own drawing";
    EXPECT_EQ(wrapped_kind(host.label), std::nullopt) << "the label keeps its own drawing";
}

TEST_F(SkinKinds, FieldsOfAnAddressControlAreNotWrapped)
{
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    HWND address = CreateWindowExA(0, WC_IPADDRESSA, "", child, 0, 0, 150, 24, host.main, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(address, nullptr);
    HWND field = FindWindowExA(address, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr) << "the address control should hold edit fields";
    EXPECT_EQ(wrapped_kind(address), std::nullopt);
    for (; field != nullptr; field = FindWindowExA(address, field, "Edit", nullptr)) {
        EXPECT_EQ(wrapped_kind(field), std::nullopt);
    }
    // An edit elsewhere is still a text box.
    EXPECT_EQ(wrapped_kind(host.source_box), Kind::text_box);
}

TEST_F(SkinKinds, ClassNamesCompareWithoutCase)
{
    EXPECT_EQ(classify({"bUTTON", BS_PUSHBUTTON, true, ""}), Kind::push_button);
    EXPECT_EQ(classify({"EDIT", WS_CHILD, false, "button"}), Kind::text_box);
    EXPECT_EQ(classify({"edit", WS_CHILD, false, "sysipaddress32"}), std::nullopt);
    EXPECT_EQ(classify({"COMBOLBOX", WS_CHILD, false, ""}), Kind::combo_list);
}

TEST_F(SkinKinds, EachWindowHasOneRecordUntilItIsDestroyed)
{
    const std::size_t none = wrapped_window_count();
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    const std::size_t wrapped = wrapped_window_count();
    EXPECT_EQ(wrapped - none, host.skinned_controls().size());

    // Switching again re-skins without wrapping anything twice; a double wrap would also recurse.
    ASSERT_EQ(switch_skin(olive_scheme), 1);
    EXPECT_EQ(wrapped_window_count(), wrapped);
    EXPECT_EQ(SendMessageA(host.translate_button, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);

    DestroyWindow(host.paste_button);
    EXPECT_EQ(wrapped_window_count(), wrapped - 1);
    // Destroying a parent takes its wrapped children's records with it.
    DestroyWindow(host.result_group);
    EXPECT_EQ(wrapped_window_count(), wrapped - 5);
    HWND later = CreateWindowExA(0, "Button", "later", child, 0, 0, 80, 24, host.main, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(wrapped_window_count(), wrapped - 4);
    DestroyWindow(later);
    EXPECT_EQ(wrapped_window_count(), wrapped - 5);
}

} // namespace
} // namespace orvanta::skin::test
