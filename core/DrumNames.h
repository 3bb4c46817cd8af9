#pragma once

// The twelve drums, channel 0 first: the names of the plug-in's output buses and of the editor's
// channel columns. Plain C, so that the art generator (tools/artgen) draws the names the host shows.
static const char* const kDrumNames[12] = {"Kick",           "Side Stick",    "Acoustic Snare", "Hand Clap",
                                           "Electric Snare", "Low Floor Tom", "Closed Hi-Hat",  "High Floor Tom",
                                           "Pedal Hi-Hat",   "Low Tom",       "Open Hi-Hat",    "Low Middle Tom"};
