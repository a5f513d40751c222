#pragma once

#include <functional>

// Dispatches window messages until the condition holds; false on timeout.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Dispatches the messages already waiting, then returns.
void PumpPending();
