#include "holding_sink.h"

#include <gst/base/gstbasesink.h>

#include <chrono>
#include <thread>

namespace {

struct HoldingSink {
  GstBaseSink parent;
};

struct HoldingSinkClass {
  GstBaseSinkClass parentClass;
};

GstFlowReturn Render(GstBaseSink*, GstBuffer*) {
  if (holding_sink::gHoldsLeft.fetch_sub(1) > 0) {
    holding_sink::gHolding = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(holding_sink::kHoldMs));
    holding_sink::gHolding = false;
  }
  return GST_FLOW_OK;
}

void ClassInit(gpointer klass, gpointer) {
  static GstStaticPadTemplate sinkTemplate =
      GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS_ANY);
  gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(klass), &sinkTemplate);
  gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Holding sink", "Sink/Audio",
                                        "Holds its streaming thread in its first renders",
                                        "Kestrel tests");
  GST_BASE_SINK_CLASS(klass)->render = Render;
}

}  // namespace

bool holding_sink::Register() {
  static const GType type = g_type_register_static_simple(
      GST_TYPE_BASE_SINK, "KestrelHoldingSink", sizeof(HoldingSinkClass), ClassInit,
      sizeof(HoldingSink), nullptr, GTypeFlags{});
  return gst_element_register(nullptr, "kestrelholdingsink", GST_RANK_NONE, type);
}
