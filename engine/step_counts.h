#pragma once
// What a sync step did with the entries it was given.

namespace engine {

struct StepCounts {
    int handled = 0;  // entries reached and tried, whatever came of them
    int failed = 0;   // of those, the ones not carried out in the end
};

}  // namespace engine
