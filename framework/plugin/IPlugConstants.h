#pragma once

// Enumerations and constants shared by every part of the framework.

enum EParamSource
{
  kReset = 0,
  kHost,
  kPresetRecall,
  kUI,
  kDelegate,
  kRecompile,
  kUnknown,
  kNumParamSources
};

enum ERoute
{
  kInput = 0,
  kOutput = 1
};

enum EIPlugPluginType
{
  kEffect = 0,
  kInstrument = 1,
  kMIDIEffect = 2
};

// Message tag of the core's state records sent to editor controls.
static constexpr int kUpdateMessage = 0;

static constexpr int kNoParameter = -1;
static constexpr int kNoTag = -1;

static constexpr double kDefaultSampleRate = 44100.0;
static constexpr double kDefaultTempo = 120.0;
static constexpr int kIdleTimerMs = 20;
