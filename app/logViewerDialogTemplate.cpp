#include "app/logViewerDialogTemplate.h"

#include <array>

namespace
{
using enum dialogControlKind;

constexpr std::array<dialogControl, 2> kControls = {{
    {1084, ReadOnlyMultiLineEdit, nullptr, 6, 7, 325, 225},
    {2, DefaultPushButton, u"Close", 143, 236, 50, 14},
}};

constexpr dialogTemplate kTemplate = {
    129, u"Log File", 337, 255, u"MS Sans Serif", 8, kControls,
};
} // namespace

const dialogTemplate& logViewerDialogTemplate()
{
    return kTemplate;
}
