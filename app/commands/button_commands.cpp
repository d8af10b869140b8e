#include "button_commands.h"

#include <iterator>

namespace orvanta {
namespace {

struct ClickBinding {
    Control button;
    ClickHandler handler;
};

constexpr ClickBinding kClickBindings[] = {
    {Control::按钮1, &_按钮1_被单击},
};

} // namespace

ClickHandler click_handler(Control button) noexcept
{
    for (const ClickBinding& binding : kClickBindings)
        if (binding.button == button) return binding.handler;
    return nullptr;
}

} // namespace orvanta
