#pragma once
// The sound track of a film (the title window's opening film), written out as a 16-bit PCM
// WAV file so that the sound device plays it on a channel like any other sound.

#include <filesystem>
#include <string>

namespace velmora {

enum class FilmSound { Written, NoSound, Failed };

// Decodes the film's first sound stream into `wav`. NoSound when the film has none; Failed
// with the reason in `error` when the film cannot be read or the file cannot be written.
FilmSound extract_film_sound(const std::filesystem::path& film, const std::filesystem::path& wav,
                             std::string& error);

}  // namespace velmora
