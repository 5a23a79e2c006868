#pragma once

#include <spa/pod/builder.h>

#include <array>

// What a reader asks of a screen cast's stream: the pixel layouts FrameFormat decodes, any size,
// a variable frame rate up to maxFramesPerSecond (0: no cap of ours), then buffers in shared
// memory with a header and the pointer as metadata. Built into `b`'s storage (1 KiB serves).
// The benchmark's stand-alone reader asks exactly this too.
const spa_pod *StreamFormat(spa_pod_builder &b, unsigned maxFramesPerSecond);
std::array<const spa_pod *, 3> StreamBuffers(spa_pod_builder &b);
