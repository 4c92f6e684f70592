#include "job_record/record_check.h"

#include <algorithm>
#include <cstring>

namespace zeltlog {
namespace {

bool AnyWeather(const JobRecord& j, ObservedValue WeatherObservation::*value) {
  return std::any_of(j.record.weather.begin(), j.record.weather.end(),
                     [&](const WeatherObservation& w) { return (w.*value).value.has_value(); });
}

bool AnyRate(const JobRecord& j) {
  return !j.info.waterVolume.empty() ||
         std::any_of(j.info.tankMix.begin(), j.info.tankMix.end(), [](const TankMixEntry& m) { return !m.rate.empty(); });
}

// Whether the record holds one field, by the name the profiles use.
bool Holds(std::string_view field, const JobRecord& j, const ComputedFigures& figures) {
  const ApplicationRecord& r = j.record;
  const JobInfo& i = j.info;
  const struct {
    const char* name;
    bool held;
  } fields[] = {
      {"farm", !r.farm.empty()},
      {"field", !r.field.empty()},
      {"operator", !r.operatorName.empty()},
      {"machine", !r.machine.empty()},
      // The aircraft's registration where the user gave it, else the
      // console's machine name.
      {"aircraft", !i.aircraft.empty() || !r.machine.empty()},
      {"aircraft_registration", !i.aircraft.empty()},
      {"crop", !r.crop.empty()},
      {"date", !r.date.empty()},
      {"start", !r.start.empty()},
      {"finish", !r.finish.empty()},
      {"wind_speed", AnyWeather(j, &WeatherObservation::windSpeed)},
      {"wind_direction", AnyWeather(j, &WeatherObservation::windDirection)},
      {"product", !i.product.empty()},
      {"registration", !i.registration.empty()},
      {"active_constituents", !i.activeConstituents.empty()},
      {"client", !i.client.empty()},
      {"address", !i.address.empty()},
      {"applicator", !i.applicator.empty()},
      {"licence", !i.licence.empty()},
      {"area", figures.area},
      {"rate", figures.rate || AnyRate(j)},
      {"quantity", figures.quantity},
  };
  for (const auto& f : fields) {
    if (field == f.name) return f.held;
  }
  return false;
}

}  // namespace

const std::vector<RecordProfile>& RecordProfiles() {
  static const std::vector<RecordProfile> profiles = {
      // Pesticides Regulation 2017 (NSW), cl. 36 (the record's contents,
      // made within 48 hours) and cl. 26 (kept 3 years, a copy to the
      // owner or occupier on request): the pilot, the product and its
      // active constituents, the date with start and finish times, the
      // aircraft, the paddock, the crop, the rate and quantity, and the
      // wind speed and direction.
      {"nsw", "Pesticides Regulation 2017 (NSW), cl. 26 and 36",
       {"operator", "product", "active_constituents", "date", "start", "finish", "aircraft", "field", "crop", "rate",
        "quantity", "wind_speed", "wind_direction"}},
      // Agricultural Chemicals Distribution Control Act 1966 (Qld), the
      // aerial distribution contractor's records (kept 2 years): the pilot
      // in command, the aircraft's registration mark, the client and
      // address, the chemical and its APVMA number, the quantity, where
      // and how much land, the crop, the date with start and finish
      // times, the wind's speed and direction.
      {"qld", "Agricultural Chemicals Distribution Control Act 1966 (Qld), distribution records",
       {"operator", "aircraft_registration", "client", "address", "product", "registration", "quantity", "field",
        "area", "crop", "date", "start", "finish", "wind_speed", "wind_direction"}},
      // Agricultural and Veterinary Chemicals (Control of Use) Regulations
      // 2017 (Vic), reg. 6, records of use of agricultural chemical
      // products (made within 48 hours, kept 2 years): the product's
      // trade name, the date, the rate, the crop, the extent of use (the
      // area treated), where it was used, the applicator, the person it
      // was done for and their address, and, sprayed outdoors, the wind's
      // speed and direction.
      {"vic", "Agricultural and Veterinary Chemicals (Control of Use) Regulations 2017 (Vic), reg. 6",
       {"product", "date", "rate", "crop", "area", "field", "operator", "client", "address", "wind_speed",
        "wind_direction"}},
      // 14 CFR 137.71(b), agricultural aircraft operations (kept 12
      // months): the client's name and address, the date, the material
      // and its quantity, the pilot's name and certificate number.
      {"us-faa-137", "14 CFR 137.71(b)", {"client", "address", "date", "product", "quantity", "operator", "licence"}},
      // 40 CFR 171.303, records of restricted use pesticide applications:
      // the location, the area treated, the time and date, the product and
      // its EPA registration number, the applicator and certificate.
      {"us-epa-171", "40 CFR 171.303",
       {"field", "area", "date", "start", "product", "registration", "operator", "licence"}},
      // Commission Implementing Regulation (EU) 2023/564, Art. 3 and its
      // Annex (electronic and machine-readable from 2026): the product and
      // its authorisation number, the time, the dose, the area, the crop
      // and the parcel's reference.
      {"eu-2023-564", "Implementing Regulation (EU) 2023/564, Art. 3 and Annex",
       {"product", "registration", "date", "start", "rate", "area", "crop", "field"}},
  };
  return profiles;
}

const RecordProfile* FindRecordProfile(std::string_view name) {
  for (const RecordProfile& p : RecordProfiles()) {
    if (name == p.name) return &p;
  }
  return nullptr;
}

std::vector<std::string> MissingRecordFields(const RecordProfile& profile, const JobRecord& job,
                                             const ComputedFigures& figures) {
  std::vector<std::string> missing;
  for (const char* field : profile.fields) {
    if (!Holds(field, job, figures)) missing.emplace_back(field);
  }
  return missing;
}

}  // namespace zeltlog
