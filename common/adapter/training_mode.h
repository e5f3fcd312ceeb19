// training_mode.h: whether a program works on the simulated bench for training, and on which bench file.
//
// Only the training builds of the station and the tester run on the bench; they say so in
// every main window (and the tester in its log), so that an operator can always tell
// simulated adapters from real ones. The production builds always have `active` false.
#pragma once

#include <string>

namespace lt::adapter {

struct TrainingMode {
    bool active = false;    // the adapters are the simulated ones of `benchFile`
    std::string benchFile;  // the bench file as the program opens it
};

}  // namespace lt::adapter
