#pragma once

// How many times the host has entered the module without leaving it again.
int GetModuleEntryCount();
