// Ogg Vorbis for the generated sounds. The stream serial number is given by
// the caller, so the same samples always give the same bytes.
#pragma once
#include <string>
#include <vector>

namespace snd {

// samples: interleaved, `channels` per frame, nominally within [-1, 1].
// Returns false (with a message on stderr) when the encoder refuses.
bool EncodeOggVorbis(const std::vector<float>& samples, int channels, float quality, int serial,
                     std::vector<unsigned char>& out);

// Decodes a whole stream to interleaved floats as the codec gives them
// (unclipped, so overshoot can be measured). False on damaged data.
bool DecodeOggVorbis(const std::vector<unsigned char>& data, std::vector<float>& samples, int& channels);

// Encodes, then decodes to check the peak: lossy coding overshoots sharp
// sounds a little, so the gain is lowered until the decoded peak stays at or
// below peakLimit (linear), then the file is written.
bool WriteOggVorbis(const std::string& path, std::vector<float> samples, int channels, float quality, int serial,
                    float peakLimit);

}  // namespace snd
