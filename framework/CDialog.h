#pragma once

// The dialog base of the framework on Qt: a QDialog built from a declarative template, with
// the framework vocabulary dialog code is written in (controls by numeric id, check numbers,
// list items carrying numbers, commands routed by id, a window timer, the modal run and the
// system-menu route).
//
// Lifecycle: construction only records the template. The window (the widgets of every row)
// exists after Create(), which also calls OnInitDialog(); DoModal() creates it when needed
// and runs it. HasWindow() tells which state the dialog is in; the id-based operations do
// nothing, or answer 0 / -1 / an empty text, for an id without a control or before Create().
// Ending the dialog (EndDialog) stops its timers; the widgets stay until destruction.
//
// Keyboard: Enter presses the default button from any control that does not use Enter itself,
// Escape reaches OnCancel, F1 reaches OnHelp, and the context-menu key and Shift+F10 open the
// system menu. A dialog asks for the keyboard when it is shown. A static text row followed directly
// by an edit or a drop-down list is that field's label: clicking it focuses the field. The tab
// order is the order of the rows. GUI thread only.
//
// Size: the window is fixed at the template's size (no maximise button) where the screen's
// available area, less a frame allowance, holds it. Where it does not, the window takes the
// area and the template's controls scroll inside it; the controls named by KeepInView stay in
// a strip at the right edge, at their distance from it, so they are always visible. Control
// positions in dialog units are the same in both cases; controls are children of the content
// page (GetContent()), not of the dialog itself.

#include "framework/dialogTemplate.h"
#include <reZevavEvadurov/winTypes.h>

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QMenu;
class QScrollArea;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr UINT CTLCOLOR_EDIT = 1;
constexpr UINT CTLCOLOR_STATIC = 6; // what a read-only edit asks for

class CDialog : public QDialog
{
    Q_OBJECT

public:
    // `dialogTemplate` must outlive the dialog (templates are static data).
    explicit CDialog(const dialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Builds the window from the template and calls OnInitDialog(); a second call does nothing.
    void Create();
    bool HasWindow() const { return m_created; }

    // Creates the window when needed and runs it modally until EndDialog; returns the result
    // given to EndDialog (IDOK, IDCANCEL or a dialog's own).
    int DoModal();
    void EndDialog(int result);

    const dialogTemplate& GetTemplate() const { return m_template; }

    // Sizes the window for an available area of `area` pixels (Create passes the screen's
    // available area less FrameAllowance(), and so does a change of screen or of its area once
    // shown): the template's size when it fits, else `area` at most, scrolling. Does nothing
    // before Create(). May be called again.
    void FitToArea(const QSize& area);
    bool IsScrolling() const { return m_scroller != nullptr; }
    // The page the template's controls are built on (null before Create()).
    QWidget* GetContent() const { return m_content; }
    // Room left around the window for a window manager's title bar and borders.
    static QSize FrameAllowance() { return {16, 48}; }

    QWidget* GetDlgItem(int id) const;

    // Check boxes keep the number they were given (any value, shown ticked unless 0) until
    // the user clicks them, which gives 1 or 0. Other controls: no effect / 0.
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;

    // Text of labels, buttons, edits, a combo's edit field and read-only text views.
    void SetDlgItemText(int id, const QString& text);
    void SetDlgItemText(int id, const WCHAR* text); // null gives the empty text
    QString GetDlgItemText(int id) const;

    void EnableDlgItem(int id, bool enable);

    // Drop-down lists: items with the number they carry. AddItem returns the new index, or
    // -1 when `id` names no list. GetCurSel is -1 with no selection; SetCurSel(-1) clears it;
    // an index out of range clears it too and returns false. GetItemData of a bad index is 0.
    int AddItem(int id, const QString& text, DWORD data);
    bool SetCurSel(int id, int index);
    int GetCurSel(int id) const;
    DWORD GetItemData(int id, int index) const;
    int GetItemCount(int id) const;

    // Ends the editing of every drop-down list (dialogLists::settle): text naming no item is
    // refused, the list shows the item selected before the typing again (the empty text with
    // none) and OnListTextRefused(id) is called. A list also does this itself when it loses
    // the focus. True when any text was refused.
    bool RefuseUnknownListText();

    // Window timer: OnTimer(timerId) every `milliseconds` until KillTimer or the dialog ends.
    // Setting an id again restarts it with the new period.
    void SetTimer(UINT timerId, UINT milliseconds);
    void KillTimer(UINT timerId);

    // The system menu, offered as the dialog's context menu. Items route to OnSysCommand.
    void AppendSystemMenuSeparator();
    void AppendSystemMenuItem(UINT commandId, const QString& text);
    QMenu* GetSystemMenu() const { return m_systemMenu; }

    // The command route of a clicked button or check box: a registered handler, else the
    // defaults (IDOK -> OnOK, IDCANCEL -> OnCancel). True when something handled it.
    virtual bool OnCommand(int id);
    virtual void OnSysCommand(UINT commandId);
    // Opens the system menu below the focused control (the keyboard's way to it).
    void ShowSystemMenu();

    // The colour request of a child control (an edit asks with CTLCOLOR_EDIT, a read-only one
    // with CTLCOLOR_STATIC): `palette` holds the colours the child would be drawn with; a
    // dialog may change them and return true. The framework's answer changes nothing.
    virtual bool OnCtlColor(QPalette& palette, QWidget* child, UINT kind) const;

    virtual BOOL OnInitDialog();
    virtual void OnOK();     // EndDialog(IDOK)
    virtual void OnCancel(); // EndDialog(IDCANCEL)
    virtual void OnTimer(UINT timerId);
    virtual void OnHelp(); // F1; nothing by default

    // Qt's own ends of a dialog (Enter without a default button, Escape, the close box) take
    // the framework's route.
    void accept() override;
    void reject() override;

protected:
    // The controls that stay in view when the dialog scrolls (the command buttons); must be
    // called before Create().
    void KeepInView(std::initializer_list<int> ids) { m_keptInView.assign(ids); }

    // Registers the handler of command `id`, replacing any earlier one.
    void OnCommandId(int id, std::function<void()> handler);

    // A list's text was refused; the framework beeps through the desktop.
    virtual void OnListTextRefused(int id);

    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void connectCommand(QWidget& control, int id);
    void bindLabel(QWidget* label, QWidget& field);
    void addKeyboardRoutes();
    void killAllTimers();
    // FitToArea with the available area of the screen the dialog is on; followScreen does it
    // again whenever that screen or its available area changes (from the first show on).
    void fitToScreen();
    void followScreen();
    void startScrolling(const QSize& window);
    void stopScrolling();
    // Left edge, in content pixels, of the leftmost kept control (the content width if none),
    // and the room left of it in the strip.
    int keptLeft() const;
    int keptGap() const;

    const dialogTemplate& m_template;
    bool m_created = false;
    // GetDlgItem's last answer for each id: a lookup walks every control and reads a property
    // of each, which made reading all the boxes of a dialog quadratic.
    mutable std::map<int, QPointer<QWidget>> m_foundControls;
    std::map<int, std::function<void()>> m_handlers;
    std::map<UINT, int> m_timers;  // framework id -> Qt timer id
    QMenu* m_systemMenu = nullptr; // child of the dialog
    std::vector<int> m_keptInView;
    QWidget* m_content = nullptr;         // child of the dialog or of m_scroller
    QScrollArea* m_scroller = nullptr;    // child of the dialog while scrolling
    QWidget* m_strip = nullptr;           // child of the dialog while scrolling
    QMetaObject::Connection m_focusWatch; // keeps the focused control in view while scrolling
    QMetaObject::Connection m_areaWatch;  // the available area of the dialog's screen
    bool m_followsScreen = false;
};
