#pragma once

#include <QWidget>

class QLineEdit;
class QListView;
class QPlainTextEdit;
class QSplitter;
class QToolButton;
class ThemesController;

// The themes page p_2: the owner-drawn theme list with its three buttons on
// the left, the selected theme's description on the right, a splitter with a
// collapse button between them. Its rules live in ThemesController; the
// page shows the controller's description whenever it changes.
class ThemesPage final : public QWidget
{
    Q_OBJECT

public:
    ThemesPage(QWidget *parent, ThemesController &controller);

    QListView *themeList() const { return m_list; }
    QSplitter *splitter() const { return m_splitter; }

    // Shows the controller's description of the selected theme.
    void showInfo();
    // The details panel collapsed to nothing, or back at its last width.
    void toggleDetails();
    // The first display's part: the list panel fills the page left of the splitter.
    void fillListPanel();

signals:
    void themeClicked();    // a row chosen by mouse or keyboard
    void applyRequested();  // a double-click anywhere in the list
    void addRequested();    // tb_AddTheme
    void deleteRequested(); // tb_DeleteTheme
    void packRequested();   // tb_PackTheme

private:
    void JvNetscapeSplitter1CanResize();

    ThemesController &m_controller;
    QListView *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
    QWidget *m_details = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_author = nullptr;
    QLineEdit *m_version = nullptr;
    QPlainTextEdit *m_description = nullptr;
    int m_detailsWidth = 186;
};
