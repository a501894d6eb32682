// Loaded with LD_PRELOAD into the desktop program of an unpacked package:
// once the main window is shown, says on standard error what it sees, presses
// the help command (F1) and closes the window. Lines:
//   window <title>          the main window is shown
//   icon <size> same|differs   the window's icon against the PNG file of that
//                           size in the package ($TANDRIL_ICON_DIR/NxN/apps)
//   message <text>          a message box appeared (and was closed)
//   done                    the help command returned; the window closes
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

namespace {

void Say(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

QMainWindow* ShownMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<QMainWindow*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

void CompareIcons() {
    const QString folder = qEnvironmentVariable("TANDRIL_ICON_DIR");
    for (int size : {16, 48, 256}) {
        const QImage installed =
            QImage(QStringLiteral("%1/%2x%2/apps/org.example.tandril.png").arg(folder).arg(size))
                .convertToFormat(QImage::Format_ARGB32);
        const QImage window = QApplication::windowIcon()
                                  .pixmap(size, size)
                                  .toImage()
                                  .convertToFormat(QImage::Format_ARGB32);
        const bool same = !installed.isNull() && installed == window;
        Say(QStringLiteral("icon %1 %2").arg(size).arg(same ? "same" : "differs"));
    }
}

void CloseMessageBoxes() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
            Say(QStringLiteral("message ") + box->text().replace(QLatin1Char('\n'), ' '));
            box->done(0);
        }
}

void WhenShown() {
    QMainWindow* window = ShownMainWindow();
    if (window == nullptr) {
        QTimer::singleShot(50, WhenShown);
        return;
    }
    Say(QStringLiteral("window ") + window->windowTitle());
    CompareIcons();
    // A message box runs its own loop inside the command: close it from there.
    auto* closer = new QTimer(qApp);
    QObject::connect(closer, &QTimer::timeout, CloseMessageBoxes);
    closer->start(50);
    for (QAction* action : window->findChildren<QAction*>())
        if (action->shortcut() == QKeySequence(Qt::Key_F1))
            action->trigger();
    Say(QStringLiteral("done"));
    window->close();
}

void Start() {
    QTimer::singleShot(0, WhenShown);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
