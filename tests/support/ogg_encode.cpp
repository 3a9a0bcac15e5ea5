#include "support/ogg_encode.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

std::string EncodeOgg(const std::vector<float>& samples, int channels, int rate) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, channels, rate, 0.6f) != 0) std::abort();
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);

  std::string out;
  ogg_page og;
  auto take = [&](ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
  };
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  while (ogg_stream_flush(&os, &og)) take(og);

  const long frames = static_cast<long>(samples.size()) / channels;
  const long chunk = 1024;
  for (long at = 0;; at += chunk) {
    long n = std::max(0L, std::min(chunk, frames - at));
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i) {
        for (int c = 0; c < channels; ++c) buf[c][i] = samples[static_cast<size_t>((at + i) * channels + c)];
      }
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));  // 0: the end of the stream
    ogg_packet op;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) take(og);
      }
    }
    if (n <= 0) break;
  }
  while (ogg_stream_flush(&os, &og)) take(og);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

std::vector<float> Sine(int frames, double hz, int rate, double amp, double phase) {
  std::vector<float> v(static_cast<size_t>(frames));
  const double pi = std::acos(-1.0);
  for (int i = 0; i < frames; ++i) v[static_cast<size_t>(i)] = static_cast<float>(amp * std::sin(2 * pi * hz * i / rate + phase));
  return v;
}
