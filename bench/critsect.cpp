// Locks and formatted stream output, uncontended: a critical section's enter and leave (which
// take no platform call when free) beside a plain pthread mutex, and a formatted line through a
// stream record beside fprintf, both into /dev/null. Figures only; nothing is asserted.
#include <qrt/critsect.h>
#include <qrt/stream.h>

#include <benchmark/benchmark.h>

#include <pthread.h>

#include <cstdio>

#include "r3/stream-internal.h"

namespace {

void BM_CritSect_Runtime(benchmark::State &state) {
    RTCRITSECT CritSect;
    RTCritSectInit(&CritSect, 0, "bench");
    for (auto _ : state) {
        RTCritSectEnter(&CritSect);
        RTCritSectLeave(&CritSect);
    }
    RTCritSectDelete(&CritSect);
}
BENCHMARK(BM_CritSect_Runtime);

void BM_CritSect_pthread(benchmark::State &state) {
    pthread_mutex_t Mtx = PTHREAD_MUTEX_INITIALIZER;
    for (auto _ : state) {
        pthread_mutex_lock(&Mtx);
        pthread_mutex_unlock(&Mtx);
    }
}
BENCHMARK(BM_CritSect_pthread);

void BM_StrmPrintf_Runtime(benchmark::State &state) {
    FILE *pFile = fopen("/dev/null", "w");
    RTSTREAM Strm;
    rtStrmInitFile(&Strm, pFile);
    for (auto _ : state) RTStrmPrintf(&Strm, "%s: error: %s %d\n", "QuilStub.exe", "Extracting package #", 3);
    rtStrmTerm(&Strm);
    fclose(pFile);
}
BENCHMARK(BM_StrmPrintf_Runtime);

void BM_StrmPrintf_snprintf(benchmark::State &state) {
    FILE *pFile = fopen("/dev/null", "w");
    for (auto _ : state) fprintf(pFile, "%s: error: %s %d\n", "QuilStub.exe", "Extracting package #", 3);
    fclose(pFile);
}
BENCHMARK(BM_StrmPrintf_snprintf);

} // namespace
