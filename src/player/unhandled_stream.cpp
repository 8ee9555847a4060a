#include "player/unhandled_stream.h"

#include <gst/pbutils/pbutils.h>

#include <string_view>

namespace {

bool IsDecoder(GstElement* element) {
  GstElementFactory* factory = gst_element_get_factory(element);
  if (factory == nullptr) return false;
  const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  return klass != nullptr && std::string_view(klass).find("Decoder") != std::string_view::npos;
}

// The caps set on the element's static pad `name`; null when none.
GstCaps* PadCaps(GstElement* element, const char* name) {
  GstPad* pad = gst_element_get_static_pad(element, name);
  if (pad == nullptr) return nullptr;
  GstCaps* caps = gst_pad_get_current_caps(pad);
  gst_object_unref(pad);
  return caps;
}

// True when what the element gives was taken downstream: the peer of its
// source pad has caps (a pad refuses caps it does not accept).
bool OutputTaken(GstElement* element) {
  GstPad* pad = gst_element_get_static_pad(element, "src");
  if (pad == nullptr) return false;
  GstPad* peer = gst_pad_get_peer(pad);
  gst_object_unref(pad);
  if (peer == nullptr) return false;
  GstCaps* caps = gst_pad_get_current_caps(peer);
  gst_object_unref(peer);
  if (caps == nullptr) return false;
  gst_caps_unref(caps);
  return true;
}

// Appends the description of what `element` was given, one line.
void DescribeInput(GstElement* element, std::string* out) {
  GstCaps* caps = PadCaps(element, "sink");
  if (caps == nullptr) return;
  gchar* description = gst_pb_utils_get_codec_description(caps);
  gchar* text = description != nullptr ? description : gst_caps_to_string(caps);
  if (out->find(text) == std::string::npos) {
    if (!out->empty()) *out += '\n';
    *out += text;
  }
  g_free(text);
  gst_caps_unref(caps);
}

}  // namespace

bool IsUnhandledStreamError(GstMessage* message) {
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  const bool negotiation = g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_NEGOTIATION);
  const bool format = g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_FORMAT);
  g_clear_error(&error);
  GstObject* source = GST_MESSAGE_SRC(message);
  if (negotiation ||
      (format && source != nullptr && GST_IS_ELEMENT(source) && IsDecoder(GST_ELEMENT(source)))) {
    return true;
  }
  // An element that stops its stream says why in the error's details.
  const GstStructure* details = nullptr;
  gst_message_parse_error_details(message, &details);
  gint flow = GST_FLOW_OK;
  return details != nullptr && gst_structure_get_int(details, "flow-return", &flow) &&
         flow == GST_FLOW_NOT_NEGOTIATED;
}

std::string UnhandledStreams(GstElement* pipeline, GstMessage* message) {
  std::string described;
  GstObject* source = GST_MESSAGE_SRC(message);
  GstElement* failed = source != nullptr && GST_IS_ELEMENT(source) ? GST_ELEMENT(source) : nullptr;
  if (failed != nullptr && IsDecoder(failed)) {
    DescribeInput(failed, &described);
    return described;
  }
  GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  for (bool done = false; !done;) {
    switch (gst_iterator_next(elements, &item)) {
      case GST_ITERATOR_OK: {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        if (IsDecoder(element) && !OutputTaken(element)) DescribeInput(element, &described);
        g_value_reset(&item);
        break;
      }
      case GST_ITERATOR_RESYNC:
        gst_iterator_resync(elements);
        break;
      default:
        done = true;
        break;
    }
  }
  g_value_unset(&item);
  gst_iterator_free(elements);
  if (described.empty() && failed != nullptr) DescribeInput(failed, &described);
  return described;
}
