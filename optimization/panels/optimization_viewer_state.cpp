#include "optimization/panels/optimization_viewer_state.h"

#include <algorithm>

TOptimizationViewerState::TOptimizationViewerState() { SetCurrentOptimizationViewer(this); }

TOptimizationViewerState::~TOptimizationViewerState() {
  if (CurrentOptimizationViewer() == this) SetCurrentOptimizationViewer(nullptr);
}

void TOptimizationViewerState::Changed(int id) {
  if (changed) changed(id);
}

void TOptimizationViewerState::SetFieldText(int id, const std::string &text) {
  std::string &field = fields_[id];
  if (field == text) return;
  field = text;
  Changed(id);
}

void TOptimizationViewerState::SetGaugePosition(int position) {
  const int held = std::clamp(position, kGaugeMinimum, kGaugeMaximum);
  if (held == gauge_) return;
  gauge_ = held;
  Changed(kViewerGauge);
}

void TOptimizationViewerState::AttachRun(TRunQueue *queue) {
  queue_ = queue;
  running_ = true;
  Changed(kViewerStopButton);
}

void TOptimizationViewerState::EndRun() {
  TRunQueue *queue = queue_;
  queue_ = nullptr;
  if (queue != nullptr) queue->Leave();
  if (!running_) return;
  running_ = false;
  Changed(kViewerStopButton);
}

bool TOptimizationViewerState::Ok() {
  EndRun();
  if (CurrentOptimizationViewer() == this) SetCurrentOptimizationViewer(nullptr);
  return true;
}

void TOptimizationViewerState::Undo() {
  if (running_ || !undo) return;
  undo();
}

std::string TOptimizationViewerState::Field(int id) const {
  const auto found = fields_.find(id);
  return found != fields_.end() ? found->second : std::string();
}
