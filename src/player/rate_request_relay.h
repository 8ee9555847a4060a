#pragma once

#include <gst/gst.h>

// Makes `pipeline` answer its sinks' requests for an instant rate change on
// a thread of GStreamer's pool rather than on the streaming thread that
// asks. The pipeline answers under its state lock; a seek or a state change
// that holds that lock while it waits for the same streaming thread would
// otherwise wait for ever. Every other message of a child goes on as before.
// Call before the pipeline leaves NULL.
void RelayRateRequestsAside(GstElement* pipeline);
