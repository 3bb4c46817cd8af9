#pragma once

struct PuglWorldImpl;

// The file descriptor of the window system connection that a host's run loop must watch (-1 where
// the window system delivers its messages by itself).
int GetPuglConnectionFd(PuglWorldImpl* world);
