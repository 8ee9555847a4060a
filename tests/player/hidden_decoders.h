#pragma once

#include <gst/gst.h>

#include <vector>

// Takes every H.264 decoder out of automatic selection while it lives.
class HiddenH264Decoders {
 public:
  HiddenH264Decoders() {
    GList* all = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_NONE);
    GstCaps* caps = gst_caps_from_string("video/x-h264");
    decoders_ = gst_element_factory_list_filter(all, caps, GST_PAD_SINK, FALSE);
    gst_caps_unref(caps);
    gst_plugin_feature_list_free(all);
    for (GList* item = decoders_; item != nullptr; item = item->next) {
      auto* feature = GST_PLUGIN_FEATURE(item->data);
      ranks_.push_back(gst_plugin_feature_get_rank(feature));
      gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
    }
  }
  ~HiddenH264Decoders() {
    size_t i = 0;
    for (GList* item = decoders_; item != nullptr; item = item->next) {
      gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(item->data), ranks_[i++]);
    }
    gst_plugin_feature_list_free(decoders_);
  }
  bool any() const { return !ranks_.empty(); }

 private:
  GList* decoders_ = nullptr;
  std::vector<guint> ranks_;
};
