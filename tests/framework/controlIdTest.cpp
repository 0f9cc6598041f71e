#include "framework/controlId.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace
{

TEST(controlIdTest, IdsAreKeptAndReplaced)
{
    QLabel label;
    EXPECT_EQ(controlIdOf(label), -1);
    setControlId(label, 1103);
    EXPECT_EQ(controlIdOf(label), 1103);
    setControlId(label, 0);
    EXPECT_EQ(controlIdOf(label), 0);
}

TEST(controlIdTest, FindsControlsAtAnyDepthInCreationOrder)
{
    QWidget dialog;
    auto* const ok = new QPushButton("OK", &dialog);
    setControlId(*ok, 1);
    auto* const group = new QGroupBox("Heap", &dialog);
    auto* const nested = new QPushButton("Nested", group);
    setControlId(*nested, 1054);
    auto* const later = new QPushButton("Same id, made later", &dialog);
    setControlId(*later, 1054);

    EXPECT_EQ(findControl(&dialog, 1), ok);
    EXPECT_EQ(findControl(&dialog, 1054), nested);
    EXPECT_EQ(findControl(&dialog, 2), nullptr);
    EXPECT_EQ(findControl(&dialog, -1), nullptr); // widgets without an id do not match
    auto* const unnamedStatic = new QLabel("Minidump directory:", &dialog);
    setControlId(*unnamedStatic, -1);
    EXPECT_EQ(findControl(&dialog, -1), unnamedStatic);
    EXPECT_EQ(findControl(nullptr, 1), nullptr);
    EXPECT_EQ(findControl(group, 1), nullptr); // only below the widget asked
}

TEST(controlIdTest, SeparateWindowsBelowTheDialogAreNotSearched)
{
    QWidget dialog;
    auto* const about = new QDialog(&dialog);
    auto* const button = new QPushButton("OK", about);
    setControlId(*button, 1);
    EXPECT_EQ(findControl(&dialog, 1), nullptr);
    EXPECT_EQ(findControl(about, 1), button);
}

} // namespace
