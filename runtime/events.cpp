#include "runtime/events.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace vb {

void DoEvents() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace vb
