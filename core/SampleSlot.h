#pragma once

// One drum channel. (Fields land with the drum engine.)
class SampleSlot
{
public:
  SampleSlot() = default;
};
