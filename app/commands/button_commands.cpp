#include "button_commands.h"

#include <iterator>

namespace orvanta {
namespace {

struct ClickBinding {
    Control button;
    ClickHandler handler;
};

constexpr ClickBinding kClickBindings[] = {
    {Control::按钮1, &_按钮1_被单击}, {Control::按钮2, &_按钮2_被单击}, {Control::按钮3, &_按钮3_被单击},
    {Control::按钮4, &_按钮4_被单击}, {Control::按钮5, &_按钮5_被单击},
};

} // namespace

ClickHandler click_handler(Control button) noexcept
{
    for (const ClickBinding& binding : kClickBindings)
        if (binding.button == button) return binding.handler;
    return nullptr;
}

} // namespace orvanta
