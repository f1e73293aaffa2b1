// Test helpers that build laps: samples, lap file bytes and date-time values.
#pragma once

#include <string>
#include <vector>

#include "lapdata/lap.h"

// The date-time value of a calendar instant.
DateTime At(int year, int month, int day, int hour, int minute, int second, int msec = 0);

// A sample with the fields that tests set most often.
Sample MakeSample(DateTime dateTime, Extended lat, Extended lon, Extended speed,
                  Extended elapsedSec = 0, Extended heading = 0);

// `count` samples from `start`, `stepSeconds` apart, heading east at
// `speed` km/h, with elapsedSec, elapsed and distKm filled in.
std::vector<Sample> StraightLap(DateTime start, int count, double stepSeconds = 0.05,
                                Extended speed = 72);

// The 128-byte records of `samples`, concatenated.
std::string LapBytes(const std::vector<Sample>& samples);

// A lap value holding `samples`, before derivation.
Lap LapOf(std::vector<Sample> samples);
