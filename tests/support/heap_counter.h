#pragma once

// Counts every heap allocation of the program that links heap_counter.cpp (malloc and
// friends are replaced, so libjpeg's allocations count too). Not for sanitizer builds,
// which own malloc themselves.

namespace volmarin::heap {

long long liveBytes();

// The peak growth of the heap while f runs, in bytes.
long long peakGrowthDuring(void (*f)(void*), void* context);

template <typename F> long long peakGrowth(F f) {
    return peakGrowthDuring([](void* c) { (*static_cast<F*>(c))(); }, &f);
}

} // namespace volmarin::heap
