#include "HostCallScope.h"

namespace
{
// Per thread: a host may be inside a call on its processing thread while its main thread runs the
// idle tick or the editor, and those may still call it.
thread_local int tHostCallDepth = 0;
} // namespace

HostCallScope::HostCallScope() { ++tHostCallDepth; }

HostCallScope::~HostCallScope() { --tHostCallDepth; }

bool HostCallScope::Active() { return tHostCallDepth > 0; }
