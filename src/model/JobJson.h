#pragma once

#include "model/MediaVideo.h"

#include <QJsonObject>

// How the encoder options of a job are written: their raw texts, for people and scripts to read, or the
// index of their case, as the stored preferences keep them.
enum class OptionForm { RawText, StoredIndex };

// Every setting and probed fact of the job under its field name (not its picture, not its result).
QJsonObject jobFieldsToJson(const MediaVideo &job, OptionForm form);
