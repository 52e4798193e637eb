#include "midi/service/CMidiSystemPoller.h"

#include "midi/platform/CMidiSystem.h"

void CMidiSystemPoller::SpendTime(const EventRecord&) { mSystem.Poll(); }
