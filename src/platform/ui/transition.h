// Transition: a layer animation as a screen configures it (type, subtype, duration, fill mode).
// Nothing is animated; views record the transitions added to their layer (View::addAnimation)
// so tests and renderers can see them.
//
// Plain value; no threading rules of its own.
#pragma once

#include <string>

namespace zt {

inline const std::string kCATransitionFade = "fade";
inline const std::string kCATransitionMoveIn = "moveIn";
inline const std::string kCATransitionPush = "push";
inline const std::string kCATransitionReveal = "reveal";
inline const std::string kCATransitionFromRight = "fromRight";
inline const std::string kCATransitionFromLeft = "fromLeft";
inline const std::string kCATransitionFromTop = "fromTop";
inline const std::string kCATransitionFromBottom = "fromBottom";
inline const std::string kCAFillModeRemoved = "removed";
inline const std::string kCAFillModeForwards = "forwards";
inline const std::string kCAMediaTimingFunctionDefault = "default";

struct Transition {
  std::string type = kCATransitionFade;
  std::string subtype;
  double duration = 0.25;
  std::string fillMode = kCAFillModeRemoved;
  std::string timingFunction = kCAMediaTimingFunctionDefault;
  friend bool operator==(const Transition&, const Transition&) = default;
};

// A transition as a layer received it, with the key it was added under.
struct RecordedTransition {
  Transition transition;
  std::string key;
  friend bool operator==(const RecordedTransition&, const RecordedTransition&) = default;
};

}  // namespace zt
