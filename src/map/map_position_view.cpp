#include "map/map_position_view.h"

#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"

void MapPositionView::ShowFrame(const FrameValues& values) {
  map_->SetFrameNumber(values.frame);
  if (!values.position || values.position->valid == 0 || map_->mapWindow() == nullptr) return;
  map_->mapWindow()->latitude = values.position->latitude;
  map_->mapWindow()->longitude = values.position->longitude;
  map_->mapWindow()->PostUpdateMessage();
  if (positionShown_) positionShown_();
}
