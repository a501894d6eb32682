// WindowScreenshot: the desktop program's window after comparing two folders,
// with the cursor on the first different row, saved as a PNG picture. Run it
// on a display (scripts/screenshot.sh starts one under Xvfb).
//
//   WindowScreenshot FOLDER_M FOLDER_S OUTPUT.png
//
// Exit status 0, 1 when the comparison did not end or the picture could not be
// saved, 2 on wrong usage.
#include <cstdio>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include "window/MainFont.h"
#include "window/TPathBox.h"
#include "window/TSameGrid.h"
#include "window/TStatusArea.h"
#include "window/TfrmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setFont(MainFont());
    const QStringList args = QApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: WindowScreenshot FOLDER_M FOLDER_S OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir dir;
    TfrmMain frm(dir.filePath(QStringLiteral("Tandril.ini")));
    frm.PathBox(TSide::M)->setEditText(args[1]);
    frm.PathBox(TSide::S)->setEditText(args[2]);
    frm.Actions().mnFileComp->trigger();

    QEventLoop loop;
    QTimer poll;
    int waited = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!frm.ComparisonRun().IsRunning() || ++waited > 3000)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    if (frm.ComparisonRun().IsRunning())
        return 1;
    frm.Grid()->FindRow(+1, TVerdict::Different);
    // Let the window paint itself once more before it is photographed.
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    return frm.grab().save(args[3]) ? 0 : 1;
}
