// Stream log of the plug-in: one line per call, written whole to standard output (which reaches
// a console only when one is attached). Lines carry their own prefix ("[ZuvorIvadoManager] ",
// "[ZuvorIvadoInstance] ").
//
// Tests may divert the lines with SetPluginLogSink.
//
// Thread-safety: PluginLog may be called from any thread; lines never interleave.
#pragma once

#include <functional>
#include <string>

void PluginLog(const std::string& line);

// Replaces where lines go; an empty sink restores standard output. Returns the previous sink.
std::function<void(const std::string&)> SetPluginLogSink(
    std::function<void(const std::string&)> sink);
