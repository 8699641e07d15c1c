// ExpandFromFlash - expands a mavo stream kept in program memory: each
// chunk of the stream is copied into RAM with memcpy_P and expanded by
// decode_block() into a 32-byte buffer, so that neither the stream nor the
// 3 KB it expands to need to fit in the Uno's 2 KB of RAM. Checks the
// expansion's length and CRC-16, prints the result over Serial, and rests.
// The result is also left in GPIOR0 (0: ok) for a simulator to read.
#include <mavo.h>

#include <avr/sleep.h>
#include <util/crc16.h>

#include "asset_bin.h"

void setup() {
  Serial.begin(9600);

  uint8_t chunk[32];
  uint8_t buffer[32];
  codec_state state = {};  // all zero: a new pass
  uint32_t size = 0;
  uint16_t crc = 0xFFFF;
  for (uint16_t pos = 0; pos < ASSET_BIN_SIZE; pos += sizeof chunk) {
    const uint16_t n = min(ASSET_BIN_SIZE - pos, sizeof chunk);
    memcpy_P(chunk, asset_bin + pos, n);
    int step;
    do {  // the same chunk again while the buffer comes back full
      uint32_t len = 0;
      step = decode_block(chunk, &state, n, buffer, sizeof buffer, &len);
      for (uint32_t i = 0; i < len; ++i)
        crc = _crc16_update(crc, buffer[i]);
      size += len;
    } while (step == STEP_OUTPUT_READY);
  }

  const bool ok = size == ASSET_BIN_DECODED_SIZE && crc == ASSET_BIN_CRC16;
  Serial.print(F("asset.bin: "));
  Serial.print(size);
  Serial.println(ok ? F(" bytes, ok") : F(" bytes, MISMATCH"));
  Serial.flush();

  // One pass is all: rest here, with interrupts off.
  GPIOR0 = ok ? 0 : 1;
  cli();
  sleep_enable();
  sleep_cpu();
}

void loop() {}
