#pragma once

// The pattern memory and the sixteenth-note step clock. (Fields land with the drum engine.)
class StepSequencer
{
public:
  StepSequencer() = default;
};
