#include "sim/host/project/ChannelDefaults.h"

#include <cstdio>

namespace QentSim::ChannelDefaults {

namespace {

constexpr int kBands = 4;
constexpr int kQuickControls = 8;
constexpr double kBandFrequency[kBands] = {100, 500, 2000, 8000};

ValueSpec number(std::string title, double minimum, double maximum, double value,
                 std::string format, int kind = 0) {
  ValueSpec spec;
  spec.title = std::move(title);
  spec.localizedTitle = true;
  spec.minimum = minimum;
  spec.maximum = maximum;
  spec.value = value;
  spec.defaultValue = value;
  spec.format = std::move(format);
  spec.kind = kind;
  return spec;
}

ValueSpec text(std::string title, std::string content = {}) {
  ValueSpec spec;
  spec.title = std::move(title);
  spec.localizedTitle = true;
  spec.minimum = spec.maximum = 0;
  spec.textOnly = true;
  spec.text = std::move(content);
  return spec;
}

ValueSpec choice(std::string title, std::vector<std::string> texts, double value) {
  ValueSpec spec =
      number(std::move(title), 0, static_cast<double>(texts.size() - 1), value, "%.0f", 2);
  for (std::size_t i = 0; i < texts.size(); ++i)
    spec.texts.emplace_back(static_cast<double>(i), std::move(texts[i]));
  spec.localizedTexts = true;
  return spec;
}

std::string numbered(const char* format, int n) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, n);
  return buffer;
}

// The band and the part of an equaliser key "band%d:part"; false for any other key.
bool bandKey(std::string_view key, int* band, std::string_view* part) {
  if (key.size() < 7 || key.substr(0, 4) != "band" || key[5] != ':') return false;
  if (key[4] < '1' || key[4] > '0' + kBands) return false;
  *band = key[4] - '0';
  *part = key.substr(6);
  return true;
}

// The number n of "<prefix>n" for n in 1..8; 0 otherwise.
int controlNumber(std::string_view key, std::string_view prefix) {
  if (key.size() != prefix.size() + 1 || key.substr(0, prefix.size()) != prefix) return 0;
  const char digit = key.back();
  return digit >= '1' && digit <= '0' + kQuickControls ? digit - '0' : 0;
}

}  // namespace

std::vector<Key> keys(bool midi, bool equaliser) {
  std::vector<Key> out = {{"name", Place::kChannel}, {"volume", Place::kChannel}};
  if (midi) {
    out.push_back({"pan", Place::kChannel});
    out.push_back({"output", Place::kChannel});
  } else {
    out.push_back({"panX", Place::kPanner});
    out.push_back({"panX2", Place::kPanner});
    out.push_back({"stereoPanType", Place::kPanner});
  }
  for (int n = 1; n <= kQuickControls; ++n)
    out.push_back({numbered("QuickControl%d", n), Place::kQuickControls});
  for (int n = 1; n <= kQuickControls; ++n)
    out.push_back({numbered("QDestination%d", n), Place::kQuickControls});
  if (equaliser) {
    for (int band = 1; band <= kBands; ++band) {
      for (const char* part : {"on", "type", "gain", "freq", "q"})
        out.push_back({numbered("band%d:", band) + part, Place::kEqualiser});
    }
  }
  return out;
}

bool spec(std::string_view key, bool midi, bool equaliser, ValueSpec* out, Place* place) {
  Place where = Place::kChannel;
  int n = 0;
  std::string_view part;
  if (key == "name") {
    *out = text("Name");
  } else if (key == "volume") {
    if (midi) {
      *out = number("Volume", 0, 127, 100, "%.0f", 1);
    } else {
      *out = number("Volume", -60, 6, 0, "%.1f dB");
      out->texts.emplace_back(-60, "-\u221E");
    }
  } else if (midi && key == "pan") {
    *out = number("Pan", -64, 63, 0, "%.0f", 1);
  } else if (midi && key == "output") {
    *out = text("Output");
  } else if (!midi && key == "panX") {
    *out = number("Pan Left-Right", -1, 1, 0, "%.2f");
    where = Place::kPanner;
  } else if (!midi && key == "panX2") {
    *out = number("Pan Right", -1, 1, 0, "%.2f");
    where = Place::kPanner;
  } else if (!midi && key == "stereoPanType") {
    *out = choice("Stereo Pan Type", {"Balance", "Combined", "Dual"}, 0);
    where = Place::kPanner;
  } else if ((n = controlNumber(key, "QuickControl")) != 0) {
    *out = number(numbered("Quick Control %d", n), 0, 1, 0, "%.2f");
    out->defaultValue.reset();
    where = Place::kQuickControls;
  } else if ((n = controlNumber(key, "QDestination")) != 0) {
    *out = text(numbered("Quick Control %d Destination", n));
    where = Place::kQuickControls;
  } else if (equaliser && bandKey(key, &n, &part)) {
    where = Place::kEqualiser;
    if (part == "on") {
      *out = choice(numbered("EQ %d On", n), {"Off", "On"}, 0);
    } else if (part == "type") {
      *out = choice(numbered("EQ %d Type", n), {"Low Shelf", "Peak", "High Shelf", "Notch"}, 1);
    } else if (part == "gain") {
      *out = number(numbered("EQ %d Gain", n), -24, 24, 0, "%.1f dB");
    } else if (part == "freq") {
      *out = number(numbered("EQ %d Freq.", n), 20, 20000, kBandFrequency[n - 1], "%.1f Hz");
    } else if (part == "q") {
      *out = number(numbered("EQ %d Quality", n), 0.5, 10, 1, "%.2f");
    } else {
      return false;
    }
  } else {
    return false;
  }
  if (place != nullptr) *place = where;
  return true;
}

ValueSpec writeEnable() { return choice("Write Enable", {"Off", "On"}, 0); }

ValueSpec program(int program) {
  ValueSpec spec = number("Program", 0, 127, 0, "%.0f", 1);
  spec.value = program;
  return spec;
}

ValueSpec effectType(const std::string& content) { return text("Effect Type", content); }

}  // namespace QentSim::ChannelDefaults
