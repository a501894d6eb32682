#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include "commands/ExportFileType.h"
#include "platform/Encoding.h"

class IniFile;
struct AppOption;

// The main window's own part of the settings file, as plain values. With
// AppOption it is all that the window keeps between its runs: the window
// reads and writes the file through these records only, and no widget
// touches it.
struct TWindowSettings {
    static constexpr QSize BuiltInSize{685, 429};
    static constexpr int HistoryLimitMax = 256;

    // "Form": the normal placement (keys Left, Top, Width, Height), whether
    // the window is maximised ("Max") and the texts of the two path boxes.
    QRect Placement;
    bool Maximised = false;
    QString FilePathM;
    QString FilePathS;
    // "ToolBar": the places of the two toolbars in the tool area (left, top)
    // and whether they are shown.
    QPoint PlaceMain{11, 2};
    QPoint PlaceOption{328, 2};
    bool VisibleMain = true;
    bool VisibleOption = true;
    // "RecentFile": how many folders each path box remembers ("ListCount",
    // 0..256, never written; by default twice the 8 lines its drop-down
    // shows) and the two histories, newest first.
    int HistoryLimit = 16;
    QStringList HistoryM;
    QStringList HistoryS;

    // Reads every key. A missing or malformed key gives the default; the
    // placement's default centres the built-in size on a screen of screenSize.
    // A history drops its empty entries and those at or past the limit.
    void Load(const IniFile& ini, QSize screenSize);
    // Writes the sections in the file's order: "Form", the options
    // (option.Save), "ToolBar", "RecentFile". A maximised window keeps the
    // placement stored before. A history deletes its keys up to the limit
    // that it does not fill; keys at or past the limit stay as they are.
    void Save(IniFile& ini, const AppOption& option) const;
};

// The export's last choice of file type and encoding: "FilterIndex" and
// "ExportEncoding" in "Form", written at each export.
struct TExportChoice {
    int FilterIndex = ExportFileType::DefaultIndex;
    platform::TTextEncoding Encoding = platform::TTextEncoding::Cp932;

    void Load(const IniFile& ini);
    void Save(IniFile& ini) const;
};
