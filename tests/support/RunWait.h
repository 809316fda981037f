#pragma once

#include <QTest>

#include "ui/document/Fennix_Main.h"

namespace fennix::test {

// Lets the event loop turn until the document's morph run has ended and
// the window is back (or a minute has passed); true when it ended.
inline bool WaitForRun(const Fennix_Main& window) {
    return QTest::qWaitFor([&] { return !window.MorphRunning(); }, 60000);
}

}  // namespace fennix::test
