#include "app/QtPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

// Qt's dialogs behind the prompt interface, looked at while they are open.
class TestQtPrompt : public QObject
{
    Q_OBJECT

private slots:
    void boxOfAWindowNotYetShownIsCentredOnTheScreen();
    void packageDialogsShowTheOneFilterEntry();

private:
    // Runs look at the modal dialog once it is open, then closes it.
    template <typename Dialog>
    void whenOpen(const std::function<void(Dialog *)> &look);
};

template <typename Dialog>
void TestQtPrompt::whenOpen(const std::function<void(Dialog *)> &look)
{
    QTimer::singleShot(0, this, [look] {
        QTRY_VERIFY(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QTRY_VERIFY(dialog->isVisible());
        look(dialog);
        dialog->reject();
    });
}

void TestQtPrompt::boxOfAWindowNotYetShownIsCentredOnTheScreen()
{
    QWidget window;
    window.setGeometry(0, 0, 640, 480);
    QtPrompt prompt(&window);
    QPoint centre;
    whenOpen<QMessageBox>([&](QMessageBox *box) { centre = box->frameGeometry().center(); });
    prompt.confirm("Confirm", "Install theme : Blue");
    const QPoint screen = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((centre - screen).manhattanLength() < 40,
             qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
}

void TestQtPrompt::packageDialogsShowTheOneFilterEntry()
{
    QtPrompt prompt;
    const FileDialogRequest request{"Select Theme to install", "Varnick Emblix Theme zipped ( *.vqk )", "*.vqk", "vqk"};
    for (bool save : {false, true}) {
        QStringList entries;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            const auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
            QVERIFY(types);
            for (int i = 0; i < types->count(); ++i)
                entries << types->itemText(i);
        });
        if (save)
            prompt.chooseSaveFile(request);
        else
            prompt.chooseOpenFile(request);
        QCOMPARE(entries, QStringList{"Varnick Emblix Theme zipped ( *.vqk )"});
    }
}

QTEST_MAIN(TestQtPrompt)
#include "tst_QtPrompt.moc"
