#include "controls/CParsedEdit.h"

#include "controls/corUXThemeColours.h"
#include "framework/controlId.h"
#include "platform/wideText.h"
#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

namespace fs = std::filesystem;

class recordingShellActions final : public IShellActions
{
public:
    void beep() override { ++beeps; }
    bool openPath(const QString&) override { return false; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }

    int beeps = 0;
};

QString qtPath(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// True when some pixel of the control is drawn in a strong red, as failing text is.
bool showsFailureColour(CParsedEdit& edit)
{
    const QImage image = edit.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
            {
                return true;
            }
        }
    }
    return false;
}

QColor failureColour()
{
    const COLORREF c = corUXThemeColours::getParsedEditFailureColour();
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

void typeText(QWidget& widget, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, &widget, Qt::Key_unknown, text, Qt::NoModifier);
}

class CParsedEditTest : public ::testing::Test
{
protected:
    recordingShellActions m_shell;
};

// ---- Typed characters -----------------------------------------------------------------------

TEST_F(CParsedEditTest, RefusedCharactersAreDroppedWithOneBeepEach)
{
    CParsedEdit edit(3, m_shell);
    QTest::keyClicks(&edit, "1a2b-3 ");
    EXPECT_EQ(edit.text(), "123");
    EXPECT_EQ(m_shell.beeps, 4);
}

TEST_F(CParsedEditTest, TypeZeroRefusesEveryPrintableCharacter)
{
    CParsedEdit edit(m_shell);
    EXPECT_EQ(edit.GetInputType(), 0);
    QTest::keyClicks(&edit, "a 1!~");
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(m_shell.beeps, 5);
}

TEST_F(CParsedEditTest, CharactersBeyondAsciiFollowTheType)
{
    CParsedEdit path(13, m_shell);
    typeText(path, QString::fromUtf16(u"\u00E9"));
    typeText(path, QString::fromUtf16(u"\u03A9"));
    EXPECT_EQ(path.text(), QString::fromUtf16(u"\u00E9\u03A9"));
    EXPECT_EQ(m_shell.beeps, 0);

    CParsedEdit word(12, m_shell);
    typeText(word, QString::fromUtf16(u"\u00E9"));
    EXPECT_EQ(word.text(), "");
    EXPECT_EQ(m_shell.beeps, 1);

    path.clear();
    typeText(path, QString::fromUtf16(u"a<b")); // one key giving several characters
    EXPECT_EQ(path.text(), "ab");
    EXPECT_EQ(m_shell.beeps, 2);
}

TEST_F(CParsedEditTest, EditingKeysWorkInEveryType)
{
    for (int type = -1; type <= 59; ++type)
    {
        CParsedEdit edit(type, m_shell);
        edit.setText("ab1");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        EXPECT_EQ(edit.text(), "ab") << type;
        edit.setCursorPosition(0);
        // X11 gives the Delete key the text 0x7F, which most types would refuse as typed.
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_Delete, QString(QChar(0x7F)),
                            Qt::NoModifier);
        EXPECT_EQ(edit.text(), "b") << type;
        QTest::keyClick(&edit, Qt::Key_End);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        EXPECT_EQ(edit.text(), "") << type;
    }
    EXPECT_EQ(m_shell.beeps, 0);
}

TEST_F(CParsedEditTest, OnCharInsertsWhatTheTypeAllows)
{
    CParsedEdit edit(3, m_shell);
    EXPECT_TRUE(edit.OnChar(u'4', 1, 0));
    EXPECT_FALSE(edit.OnChar(u'a', 1, 0));
    EXPECT_TRUE(edit.OnChar(u'2'));
    EXPECT_EQ(edit.text(), "42");
    EXPECT_EQ(m_shell.beeps, 1);

    EXPECT_TRUE(edit.OnChar(0x08, 1, 0)); // backspace
    EXPECT_EQ(edit.text(), "4");
    EXPECT_TRUE(edit.OnChar(0x01)); // Ctrl+A, then a digit replaces the selection
    EXPECT_TRUE(edit.OnChar(u'9'));
    EXPECT_EQ(edit.text(), "9");
    EXPECT_TRUE(edit.OnChar(0x0D)); // Return is allowed and inserts nothing
    EXPECT_EQ(edit.text(), "9");

    edit.setReadOnly(true);
    EXPECT_TRUE(edit.OnChar(u'5'));
    EXPECT_TRUE(edit.OnChar(0x08));
    EXPECT_EQ(edit.text(), "9");
    EXPECT_EQ(m_shell.beeps, 1);

    CParsedEdit none(m_shell);
    EXPECT_FALSE(none.OnChar(u' '));
    EXPECT_EQ(none.text(), "");
    EXPECT_EQ(m_shell.beeps, 2);
}

// OnRejectedInput is the one place a refusal is made known, so a subclass can take it over.
class countingParsedEdit final : public CParsedEdit
{
public:
    using CParsedEdit::CParsedEdit;
    void OnRejectedInput() override { ++refusals; }
    int refusals = 0;
};

TEST_F(CParsedEditTest, RefusalsGoThroughTheVirtualOnRejectedInput)
{
    countingParsedEdit defaulted;
    EXPECT_EQ(defaulted.GetInputType(), 0);
    countingParsedEdit edit(3);
    EXPECT_EQ(edit.GetInputType(), 3);
    QTest::keyClicks(&edit, "1x");
    EXPECT_FALSE(edit.OnChar(u'y'));
    edit.setText("32767");
    edit.OnVScroll(SB_LINEUP, 0, nullptr);
    EXPECT_EQ(edit.text(), "32767");
    EXPECT_EQ(edit.refusals, 3);
}

TEST_F(CParsedEditTest, ShortcutsPassAndPastedTextIsNotFiltered)
{
    CParsedEdit edit(3, m_shell);
    QApplication::clipboard()->setText("not <digits>");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "not <digits>");
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, "7");
    EXPECT_EQ(edit.text(), "7");
    EXPECT_EQ(m_shell.beeps, 0);
}

TEST_F(CParsedEditTest, InputMethodTextIsFilteredToo)
{
    CParsedEdit edit(3, m_shell);
    QInputMethodEvent event;
    event.setCommitString("4x2");
    QApplication::sendEvent(&edit, &event);
    EXPECT_EQ(edit.text(), "42");
    EXPECT_EQ(m_shell.beeps, 1);
}

// ---- The failure colour ---------------------------------------------------------------------

TEST_F(CParsedEditTest, ColourFollowsTheTextAtOnceAndTheFileSystemOnRefresh)
{
    const fs::path dir = testsupport::sandboxRoot() / "minidumps";
    CParsedEdit edit(13, m_shell);
    edit.resize(300, 30);
    edit.show();

    edit.setText(qtPath(dir));
    EXPECT_TRUE(showsFailureColour(edit));
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Text), failureColour());

    // Painting uses the verdict it has; only a refresh asks the file system again.
    fs::create_directories(dir);
    EXPECT_TRUE(showsFailureColour(edit));
    edit.RefreshValidationColour();
    EXPECT_FALSE(showsFailureColour(edit));
    EXPECT_NE(edit.palette().color(QPalette::Active, QPalette::Text), failureColour());

    std::ofstream(dir / "file.txt") << "x";
    edit.setText(qtPath(dir / "file.txt"));
    EXPECT_TRUE(showsFailureColour(edit));

    edit.setText(""); // fails too, though there is no text to see in red
    EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Text), failureColour());

    fs::remove(dir / "file.txt");
    edit.setText(qtPath(dir));
    EXPECT_FALSE(showsFailureColour(edit));
    fs::remove(dir);
    EXPECT_FALSE(showsFailureColour(edit));
    edit.RefreshValidationColour();
    EXPECT_TRUE(showsFailureColour(edit));
}

TEST_F(CParsedEditTest, ValidationCtlColorDecidesOnlyForRuledTypes)
{
    CParsedEdit unruled(1, m_shell);
    unruled.setText("<<anything>>");
    QPalette palette = unruled.palette();
    const QPalette before = palette;
    EXPECT_FALSE(unruled.ValidationCtlColor(palette));
    EXPECT_EQ(palette, before);

    CParsedEdit mail(48, m_shell);
    mail.setText("user@example.org");
    EXPECT_FALSE(mail.ValidationCtlColor(palette));
    EXPECT_EQ(palette, before);
    mail.setText("user@@example.org");
    EXPECT_TRUE(mail.ValidationCtlColor(palette));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), failureColour());
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Text), failureColour());
    // A disabled control is drawn as disabled, whatever its text.
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::Text),
              before.color(QPalette::Disabled, QPalette::Text));
}

TEST_F(CParsedEditTest, ReadOnlyControlsAreNotColoured)
{
    CParsedEdit edit(13, m_shell);
    edit.resize(300, 30);
    edit.show();
    edit.setText(qtPath(testsupport::sandboxRoot() / "missing"));
    edit.setReadOnly(true);
    EXPECT_FALSE(showsFailureColour(edit));
}

// ---- The spin -------------------------------------------------------------------------------

TEST_F(CParsedEditTest, ArrowKeysStepTheValueAndSelectTheText)
{
    CParsedEdit edit(3, m_shell);
    edit.setText("5");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "6");
    EXPECT_EQ(edit.selectedText(), "6");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "4");
    EXPECT_EQ(edit.selectedText(), "4");

    edit.setText("  7"); // leading blanks are skipped, as the dialog's integer reading does
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "8");
    edit.setText("32766");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "32767");
    edit.setText("1");
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "0");
    EXPECT_EQ(m_shell.beeps, 0);
}

TEST_F(CParsedEditTest, OnlyNumericTypesSpinOnTheArrowKeys)
{
    struct arrowCase
    {
        int inputType;
        const char* text;
        const char* afterUp; // the text after Up, then Down brings it back
    };
    const arrowCase cases[] = {
        {3, "5", "6"},
        {4, "5", "6"},
        {5, "5", "6"},
        {6, "5", "6"},
        {7, "5", "6"},
        {8, "5", "6"},
        {10, "5", "6"},
        {11, "5", "6"},
        {19, "0", "1"},
        {0, "5", "5"},
        {1, "5", "5"},
        {9, "5", "5"},
        {13, "/tmp/a", "/tmp/a"},
        {45, "5", "5"},
        {49, "5", "5"},
        {52, "/x/y", "/x/y"},
        {58, "5", "5"},
    };
    for (const arrowCase& c : cases)
    {
        CParsedEdit edit(c.inputType, m_shell);
        edit.setText(c.text);
        edit.setCursorPosition(1);
        QTest::keyClick(&edit, Qt::Key_Up);
        EXPECT_EQ(edit.text(), c.afterUp) << c.inputType;
        QTest::keyClick(&edit, Qt::Key_Down);
        EXPECT_EQ(edit.text(), c.text) << c.inputType;
        const bool spins = std::string(c.text) != c.afterUp;
        // A text field keeps its caret and selects nothing, so the next key cannot replace it.
        EXPECT_EQ(edit.hasSelectedText(), spins) << c.inputType;
        EXPECT_EQ(edit.cursorPosition(), spins ? edit.text().size() : 1) << c.inputType;
    }
    EXPECT_EQ(m_shell.beeps, 0);
}

TEST_F(CParsedEditTest, SpinClampsWithABeepAndStillSelects)
{
    struct refusal
    {
        const char* text;
        Qt::Key key;
    };
    const refusal cases[] = {
        {"32767", Qt::Key_Up}, {"0", Qt::Key_Down},
        {"-3", Qt::Key_Up},    {"-3", Qt::Key_Down},
        {"abc", Qt::Key_Up},   {"", Qt::Key_Down},
        {"12x", Qt::Key_Up},   {"99999999999", Qt::Key_Down},
        {"1 2", Qt::Key_Up},   {"7 ", Qt::Key_Up},
        {"+7", Qt::Key_Up},    {"\t7", Qt::Key_Down},
        {"-", Qt::Key_Up},
    };
    int expectedBeeps = 0;
    for (const refusal& r : cases)
    {
        CParsedEdit edit(3, m_shell);
        edit.setText(r.text);
        edit.setCursorPosition(0);
        QTest::keyClick(&edit, r.key);
        EXPECT_EQ(edit.text(), r.text);
        EXPECT_EQ(m_shell.beeps, ++expectedBeeps) << r.text;
        EXPECT_EQ(edit.selectedText(), r.text);
    }
}

TEST_F(CParsedEditTest, OtherScrollCodesAreIgnored)
{
    CParsedEdit edit(3, m_shell);
    edit.setText("12");
    edit.setCursorPosition(1);
    edit.OnVScroll(SB_LINEDOWN + 1, 0, nullptr);
    edit.OnVScroll(0xFFFF, 0, nullptr);
    EXPECT_EQ(edit.text(), "12");
    EXPECT_FALSE(edit.hasSelectedText());
    EXPECT_EQ(m_shell.beeps, 0);
    edit.OnVScroll(SB_LINEUP, 0, nullptr);
    EXPECT_EQ(edit.text(), "13");
}

// ---- Binding to a dialog's control ----------------------------------------------------------

TEST_F(CParsedEditTest, AttachTakesThePlaceOfTheDialogsLineEdit)
{
    QWidget dialog;
    auto* const layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Minidump directory:"));
    auto* const placeholder = new QLineEdit("typed before");
    placeholder->setObjectName("directory");
    placeholder->setMaxLength(200);
    setControlId(*placeholder, 1101);
    layout->addWidget(placeholder);
    auto* const other = new QLineEdit;
    setControlId(*other, 1102);
    layout->addWidget(other);

    CParsedEdit edit(m_shell);
    ASSERT_TRUE(edit.AttachToDialogItem(&dialog, 1101, 13));
    EXPECT_EQ(edit.GetInputType(), 13);
    EXPECT_EQ(findControl(&dialog, 1101), &edit);
    EXPECT_EQ(edit.parentWidget(), &dialog);
    EXPECT_EQ(layout->indexOf(&edit), 1);
    EXPECT_EQ(edit.text(), "typed before");
    EXPECT_EQ(edit.objectName(), "directory");
    EXPECT_EQ(edit.maxLength(), 200);
    EXPECT_EQ(dialog.findChildren<QLineEdit*>().size(), 2); // the placeholder is gone
    EXPECT_EQ(findControl(&dialog, 1102), other);

    edit.clear();
    QTest::keyClicks(&edit, "a|b");
    EXPECT_EQ(edit.text(), "ab");
    EXPECT_EQ(m_shell.beeps, 1);

    EXPECT_TRUE(edit.AttachToDialogItem(&dialog, 1101, 13)); // already bound
}

TEST_F(CParsedEditTest, AttachKeepsTheGeometryWithoutALayout)
{
    QWidget dialog;
    auto* const placeholder = new QLineEdit(&dialog);
    placeholder->setGeometry(12, 34, 150, 20);
    placeholder->setEnabled(false);
    setControlId(*placeholder, 1101);

    CParsedEdit edit(m_shell);
    ASSERT_TRUE(edit.AttachToDialogItem(&dialog, 1101, 13));
    EXPECT_EQ(edit.geometry(), QRect(12, 34, 150, 20));
    EXPECT_FALSE(edit.isEnabledTo(&dialog));
}

TEST_F(CParsedEditTest, AttachFailsWithoutALineEditOfThatId)
{
    QWidget dialog;
    auto* const label = new QLabel("not an edit", &dialog);
    setControlId(*label, 1103);

    CParsedEdit edit(m_shell);
    EXPECT_FALSE(edit.AttachToDialogItem(&dialog, 1101, 13));
    EXPECT_EQ(edit.GetInputType(), 13); // stored first, whatever the outcome
    EXPECT_FALSE(edit.AttachToDialogItem(&dialog, 1103, 48));
    EXPECT_EQ(edit.GetInputType(), 48);
    EXPECT_EQ(findControl(&dialog, 1103), label);
    EXPECT_EQ(edit.parentWidget(), nullptr);
}

} // namespace
