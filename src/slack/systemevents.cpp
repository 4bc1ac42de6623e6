#include "slack/systemevents.h"

namespace halyard {

SystemEvents::SystemEvents(QObject* parent)
    : QObject(parent)
{
}

void SystemEvents::start() { }

} // namespace halyard
