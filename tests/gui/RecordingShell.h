#pragma once

#include <QList>
#include <QStringList>

#include "commands/IShellStarter.h"

// A starter that starts nothing: it records each call (the program followed
// by its arguments, or the document alone) and answers with Result.
class TRecordingShell : public IShellStarter {
public:
    QList<QStringList> Programs;
    QStringList Documents;
    TShellResult Result = TShellResult::Success;

    TShellResult StartProgram(const QString& program, const QStringList& arguments) override {
        Programs.append(QStringList{program} + arguments);
        return Result;
    }
    TShellResult OpenDocument(const QString& target) override {
        Documents.append(target);
        return Result;
    }
};
