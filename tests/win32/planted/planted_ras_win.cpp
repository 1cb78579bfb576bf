// Plays a rasapi32.dll that someone planted in the program's folder: the
// program must never load it. Its one export tells it apart.
extern "C" int DwPlantedMarker(void) { return 0x504C; }
