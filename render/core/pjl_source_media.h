// Paper source and media: one mapping shared by the job header, the page
// setup and the band sender.
#pragma once

struct PDEV;

struct SourceMedia {
  int pclSource;        // value of the paper source command "\e&l#H"
  const char* weight;   // PJL media weight word, or null
  const char* pjlType;  // PJL media type word, or null
  const char* pclType;  // PCL media type name ("" for none)
};

// `source` is a DEVMODE source code, `nibble` the media nibble; `manualFeed`
// is set unless the multi-purpose tray is separate from manual feed;
// `envMode` is the model's envelope feature.
SourceMedia MapSourceMedia(int source, int nibble, bool manualFeed, bool envMode);

// The job's source and media nibble as the header sees them: the cover's on
// the first page of a cover job; source 7 (auto) without DM_DEFAULTSOURCE.
int JobSource(const PDEV* pdev);
int JobMediaNibble(const PDEV* pdev);
bool JobManualFeed(const PDEV* pdev);
bool ModelHas(const PDEV* pdev, unsigned feature);
