// bench-sound-watch: tells when the sound server sees a new playback stream. Connects to
// the server named by the environment (PULSE_SERVER), prints "ready" once it listens, then
// "new NS" for every new stream, NS being CLOCK_MONOTONIC nanoseconds when the server's
// notice arrived. Stops when its standard input closes (its caller has finished) or the
// server goes away.
// Usage: bench-sound-watch
#include <pulse/pulseaudio.h>

#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void onEvent(pa_context *, pa_subscription_event_type_t type, uint32_t, void *)
{
    const long long at = monotonicNs();
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SINK_INPUT
        && (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_NEW) {
        std::printf("new %lld\n", at);
        std::fflush(stdout);
    }
}

void onSubscribed(pa_context *, int success, void *)
{
    std::printf(success ? "ready\n" : "failed to subscribe\n");
    std::fflush(stdout);
}

void onState(pa_context *context, void *mainloop)
{
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        pa_context_set_subscribe_callback(context, onEvent, nullptr);
        pa_operation_unref(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK_INPUT, onSubscribed, nullptr));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        std::printf("gone %s\n", pa_strerror(pa_context_errno(context)));
        std::fflush(stdout);
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(mainloop), 0);
        break;
    default:
        break;
    }
}

} // namespace

int main()
{
    pa_threaded_mainloop *mainloop = pa_threaded_mainloop_new();
    pa_context *context = pa_context_new(pa_threaded_mainloop_get_api(mainloop), "bench-sound-watch");
    pa_context_set_state_callback(context, onState, mainloop);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        std::printf("gone %s\n", pa_strerror(pa_context_errno(context)));
        return 1;
    }
    pa_threaded_mainloop_start(mainloop);
    char buffer[64];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
    pa_threaded_mainloop_lock(mainloop);
    pa_context_disconnect(context);
    pa_threaded_mainloop_unlock(mainloop);
    pa_threaded_mainloop_stop(mainloop);
    pa_context_unref(context);
    pa_threaded_mainloop_free(mainloop);
    return 0;
}
