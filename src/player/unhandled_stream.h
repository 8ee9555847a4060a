#pragma once

#include <gst/gst.h>

#include <string>

// Whether the error `message` says that a stream could not be handled for
// want of a caps match: a failed negotiation, a stream stopped for
// "not-negotiated", or a decoder refusing the format it was given. (A
// decoder's other errors, such as those of damaged data, are not.)
bool IsUnhandledStreamError(GstMessage* message);

// What `pipeline` could not handle when `message` failed it, one
// description a line ("H.265 (Main 4:4:4 Profile)"): the input of the
// decoder that failed, else of every decoder whose output was not taken,
// else what the failing element was given. Empty when nothing is known.
std::string UnhandledStreams(GstElement* pipeline, GstMessage* message);
