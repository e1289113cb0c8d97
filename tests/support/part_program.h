// Part programs for the stand-in host, built in a test: feature commands with their vectors, other
// commands, and the identifiers a feature list shows.
#pragma once

#include <string>
#include <vector>

#include "core/controls.h"
#include "sim/model.h"

namespace dravosk::test {

// A feature command with its three vectors (Theo, IST, Ziel).
sim::Command feature(sim::Value id, sim::Vector theo = {1, 2, 3}, sim::Vector ist = {4, 5, 6},
                     sim::Vector ziel = {7, 8, 9});
// A command whose IsFeature is `isFeature`, whatever its type, with a feature's vectors.
sim::Command command(sim::Value isFeature, sim::Value id);
// A command that is no feature: IsFeature false (or `isFeature`), shown as "Ausrichtung".
sim::Command nonFeature(sim::Value isFeature = false,
                        sim::Value id = std::u16string(u"kein Merkmal"));
// `count` features "Merkmal 1", "Merkmal 2", ... with the vectors of feature().
sim::PartProgram numberedFeatures(int count);

// The entries of a list, top to bottom.
std::vector<std::u16string> texts(const FeatureList& list);

}  // namespace dravosk::test
