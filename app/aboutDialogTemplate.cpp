#include "app/aboutDialogTemplate.h"

#include <array>

namespace
{
using enum dialogControlKind;

constexpr std::array<dialogControl, 6> kControls = {{
    {-1, Icon, nullptr, 11, 17, 20, 20},
    {-1, StaticText, u"reZevavEvadurov Version 1.0", 40, 10, 130, 8},
    {-1, StaticText, u"Tarnwick stub debug settings", 40, 22, 130, 8},
    {-1, StaticText, u"Copyright (C) Corvane", 40, 34, 130, 8},
    {-1, StaticText, u"All rights reserved.", 40, 46, 130, 8},
    {1, DefaultPushButton, u"OK", 178, 7, 50, 14},
}};

constexpr dialogTemplate kTemplate = {
    100, u"About reZevavEvadurov", 235, 71, u"MS Sans Serif", 8, kControls,
};
} // namespace

const dialogTemplate& aboutDialogTemplate()
{
    return kTemplate;
}
