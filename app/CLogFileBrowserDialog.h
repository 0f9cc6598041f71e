#pragma once

// A log viewer (template 129): a read-only text pane (1084) showing a text under a title,
// and "Close". The tool itself hands log files to the desktop instead; the viewer is kept for
// callers that want a file shown in-process. GUI thread only.

#include "framework/CDialog.h"
#include <reZevavEvadurov/stubString.h>

class CLogFileBrowserDialog : public CDialog
{
    Q_OBJECT

public:
    static constexpr int textPane = 1084;

    explicit CLogFileBrowserDialog(QWidget* parent = nullptr);
    ~CLogFileBrowserDialog() override;

    // Puts the text into the pane and the title into the caption; returns TRUE.
    BOOL OnInitDialog() override;

    // Appends every line of the file at `path`, each without its line end ("\n", or "\r\n"
    // as text mode reads it), to the text; the lines are joined with nothing between them.
    // The file's bytes are taken as UTF-8. False, with the text unchanged, when `path` is
    // null or the file cannot be opened.
    bool AppendFile(const WCHAR* path);

    stubString m_text;
    stubString m_title;
};
