#include "ThreadComp.h"

#include <algorithm>

#include "TCompare.h"
#include "platform/ThreadNice.h"
#include "settings/AppOption.h"

ThreadComp::ThreadComp(TCompare& engine, uint8_t speed, QObject* parent)
    : QThread(parent), Engine(engine), NiceOffset(SpeedNiceValue(speed)) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

ThreadComp::~ThreadComp() {
    wait();
}

void ThreadComp::run() {
    // Qt's thread priorities change nothing under Linux's default scheduler;
    // the thread's nice value does. It is taken relative to the window's
    // thread, whose value the worker inherits. Raising priority needs a right
    // that most users lack: the worker then stays at the window's level. The
    // engine's own helper threads inherit the value in turn.
    const int base = platform::CurrentThreadNice();
    const int wanted = std::clamp(base + NiceOffset, -20, 19);
    if (wanted != base)
        platform::SetCurrentThreadNice(wanted);
    Engine.Compare();
}
