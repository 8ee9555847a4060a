#include "player/rate_request_relay.h"

namespace {

void HandleChildMessage(GstElement* pipeline, gpointer message) {
  GST_BIN_GET_CLASS(pipeline)->handle_message(
      GST_BIN(pipeline), gst_message_ref(GST_MESSAGE(message)));
}

// As a bin's own handler of its children's bus: the bin takes the message.
GstBusSyncReply OnChildMessage(GstBus*, GstMessage* message, gpointer pipeline) {
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_INSTANT_RATE_REQUEST) {
    gst_element_call_async(GST_ELEMENT(pipeline), &HandleChildMessage, message,
                           reinterpret_cast<GDestroyNotify>(gst_mini_object_unref));
  } else {
    GST_BIN_GET_CLASS(pipeline)->handle_message(GST_BIN(pipeline), message);
  }
  return GST_BUS_DROP;
}

}  // namespace

void RelayRateRequestsAside(GstElement* pipeline) {
  GstBus* children = GST_BIN(pipeline)->child_bus;
  // A handler is replaced by clearing it first.
  gst_bus_set_sync_handler(children, nullptr, nullptr, nullptr);
  gst_bus_set_sync_handler(children, &OnChildMessage, pipeline, nullptr);
}
