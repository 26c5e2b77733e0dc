// velmora-author's readers: GPX, NMEA and CSV tracks and the marks file, well formed and
// malformed (every refusal names its line), and the ISO 8601 times they carry.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "marks.h"
#include "track.h"

namespace {

using namespace velmora::author;

constexpr double k20240501 = 1714521600;  // 2024-05-01T00:00:00Z

TEST(TrackTime, IsoTimesAreUtcSeconds) {
  const struct {
    const char* text;
    double seconds;  // NaN: refused
  } cases[] = {
      {"2024-05-01T10:00:00Z", k20240501 + 36000},
      {"2024-05-01T10:00:00.250Z", k20240501 + 36000.25},
      {"2024-05-01 10:00:00", k20240501 + 36000},
      {"2024-05-01T19:00:00+09:00", k20240501 + 36000},
      {"2024-05-01T05:30:00-0430", k20240501 + 36000},
      {"1970-01-01T00:00:00Z", 0},
      {"2000-02-29T00:00:00Z", 951782400},
      {"2024-13-01T10:00:00Z", NAN},
      {"2024-05-01T10:00Z", NAN},
      {"2024-05-01T10:00:00+9", NAN},
      {"10:00:00", NAN},
      {"", NAN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<double> t = parse_iso_time(c.text);
    if (std::isnan(c.seconds)) {
      EXPECT_FALSE(t.has_value());
    } else {
      ASSERT_TRUE(t.has_value());
      EXPECT_NEAR(*t, c.seconds, 1e-6);
    }
  }
}

struct Read {
  const char* name;
  std::function<Track(std::string_view)> reader;
  std::string text;
  std::size_t points;
  TrackClock clock;
  double lat, lon, time, ele, speed;  // of the first fix; NaN: none
};

TEST(TrackReaders, WellFormedFilesGiveTheirFixes) {
  const double t0 = k20240501 + 36000;
  const Read cases[] = {
      {"GPX with elevation, speed extension, comments and a second segment", read_gpx,
       "<?xml version=\"1.0\"?>\n<!-- a phone's log -->\n<gpx version=\"1.1\"><trk><trkseg>\n"
       "<trkpt lat=\"35.5\" lon='139.25'><ele>12.5</ele><time>2024-05-01T10:00:00Z</time>"
       "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>10</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions></trkpt>\n"
       "</trkseg><trkseg><trkpt lat=\"35.6\" lon=\"139.3\"><time>2024-05-01T10:00:01Z</time></trkpt></trkseg></trk></gpx>\n",
       2, TrackClock::utc, 35.5, 139.25, t0, 12.5, 36},
      {"GPX repeating a time keeps the first fix", read_gpx,
       "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"><time>2024-05-01T10:00:00Z</time></trkpt>"
       "<trkpt lat=\"9\" lon=\"9\"><time>2024-05-01T10:00:00Z</time></trkpt>"
       "<trkpt lat=\"1.1\" lon=\"2\"><time>2024-05-01T10:00:02Z</time></trkpt></trkseg></trk></gpx>",
       2, TrackClock::utc, 1, 2, t0, NAN, NAN},
      {"NMEA: RMC and GGA of one second are one fix; a damaged sentence is left out", read_nmea,
       "$GPRMC,100000.00,A,3530.000,N,13915.000,E,10.0,90.0,010524,,,A*5F\r\n"
       "$GPGGA,100000.00,3530.000,N,13915.000,E,1,08,0.9,12.5,M,39.0,M,,*5A\r\n"
       "$GPRMC,100001.00,A,3530.001,N,13915.002,E,10.0,90.0,010524,,,A*00\r\n"
       "$GNRMC,100002.00,A,3530.002,N,13915.004,E,10.0,90.0,010524,,,A*45\r\n"
       "$GPRMC,100003.00,V,,,,,,,010524,,,N*7D\r\n",
       2, TrackClock::utc, 35.5, 139.25, t0, 12.5, 18.52},
      {"NMEA without a date counts from midnight", read_nmea,
       "$GPGGA,235959.00,3530.000,S,13915.000,W,1,08,0.9,5.0,M,39.0,M,,*66\n"
       "$GPGGA,000001.00,3530.000,S,13915.000,W,1,08,0.9,5.0,M,39.0,M,,*66\n",
       2, TrackClock::time_of_day, -35.5, -139.25, 86399, 5, NAN},
      {"CSV in the positional order, plain seconds", read_csv_track,
       "# time,lat,lon,ele,speed\n0,35.5,139.25,12.5,10\n1,35.5001,139.25,12.6,10\n", 2, TrackClock::relative,
       35.5, 139.25, 0, 12.5, 36},
      {"CSV with named columns in another order, semicolons, km/h", read_csv_track,
       "Longitude;Latitude;Speed_kmh;Time\n139.25;35.5;36;2024-05-01T10:00:00Z\n139.25;35.5001;36;2024-05-01T10:00:01Z\n",
       2, TrackClock::utc, 35.5, 139.25, t0, NAN, 36},
  };
  for (const Read& c : cases) {
    SCOPED_TRACE(c.name);
    const Track t = c.reader(c.text);
    ASSERT_EQ(t.points.size(), c.points);
    EXPECT_EQ(t.clock, c.clock);
    const TrackPoint& p = t.points.front();
    EXPECT_NEAR(p.lat, c.lat, 1e-9);
    EXPECT_NEAR(p.lon, c.lon, 1e-9);
    EXPECT_NEAR(p.time, c.time, 1e-6);
    if (std::isnan(c.ele)) EXPECT_TRUE(std::isnan(p.ele));
    else EXPECT_NEAR(p.ele, c.ele, 1e-9);
    if (std::isnan(c.speed)) EXPECT_TRUE(std::isnan(p.speed));
    else EXPECT_NEAR(p.speed, c.speed, 1e-6);
  }
  EXPECT_EQ(read_nmea("$GPRMC,100000.00,A,3530.000,N,13915.000,E,10.0,90.0,010524,,,A*5F\n"
                      "$GPRMC,100001.00,A,3530.001,N,13915.002,E,10.0,90.0,010524,,,A*00\n"
                      "$GPRMC,100002.00,A,3530.002,N,13915.004,E,10.0,90.0,010524,,,A*5B\n")
                .notes,
            std::vector<std::string>{"1 sentence with a wrong or missing checksum left out (the first at line 2)"});
}

struct Bad {
  const char* name;
  std::function<Track(std::string_view)> reader;
  std::string text;
  int line;
  const char* says;
};

TEST(TrackReaders, MalformedFilesAreRefusedWithTheirLine) {
  const std::string fix = "<trkpt lat=\"1\" lon=\"2\"><time>2024-05-01T10:00:00Z</time></trkpt>\n";
  const Bad cases[] = {
      {"GPX latitude", read_gpx, "<gpx>\n<trk>\n<trkpt lat=\"north\" lon=\"2\">", 3, "the latitude \"north\" is not a number"},
      {"GPX without time", read_gpx, "<gpx>\n" + fix + "<trkpt lat=\"1\" lon=\"3\"><ele>4</ele></trkpt>", 3, "has no <time>"},
      {"GPX bad time", read_gpx, "<gpx>\n<trkpt lat=\"1\" lon=\"3\">\n<time>yesterday</time></trkpt>", 3, "not an ISO 8601 time"},
      {"GPX unclosed point", read_gpx, "<gpx>\n" + fix + "<trkpt lat=\"1\" lon=\"3\">\n<time>2024-05-01T10:00:01Z</time>", 3,
       "never ends"},
      {"GPX cut inside a tag", read_gpx, "<gpx>\n" + fix + "<trkpt lat=\"1\"", 3, "never ends"},
      {"GPX time going back", read_gpx,
       "<gpx>\n" + fix + "<trkpt lat=\"1\" lon=\"3\"><time>2024-05-01T09:00:00Z</time></trkpt>", 3, "the time goes back"},
      {"GPX off the globe", read_gpx, "<gpx>\n<trkpt lat=\"91\" lon=\"3\"><time>2024-05-01T09:00:00Z</time></trkpt>\n" + fix,
       2, "not on the globe"},
      {"GPX without points", read_gpx, "<gpx>\n</gpx>", 0, "no track point"},
      {"not GPX", read_gpx, "hello", 0, "not a GPX file"},
      {"NMEA stray line", read_nmea, "$GPGGA,100000.00,3530.000,N,13915.000,E,1,08,0.9,12.5,M,39.0,M,,*5A\nhello\n", 2,
       "not an NMEA sentence"},
      {"NMEA bad latitude with a good checksum", read_nmea, "\n$GPGGA,100000.00,35x0.000,N,13915.000,E,1,08,0.9,12.5,M,39.0,M,,*11\n",
       2, "latitude \"35x0.000\" is not a number"},
      {"NMEA bad hemisphere", read_nmea, "$GPGGA,100000.00,3530.000,Q,13915.000,E,1,08,0.9,12.5,M,39.0,M,,*45\n", 1,
       "hemisphere"},
      {"NMEA bad date", read_nmea, "$GPRMC,100000.00,A,3530.000,N,13915.000,E,10.0,90.0,013224,,,A*5B\n", 1, "not a date"},
      {"NMEA too few fields", read_nmea, "$GPRMC,100000.00,A,3530.000,N*70\n", 1, "too few fields"},
      {"NMEA no fix at all", read_nmea, "$GPGSV,1,1,00*79\n", 0, "no RMC or GGA"},
      {"CSV bad longitude", read_csv_track, "time,lat,lon\n0,35,139\n1,35,east\n", 3, "the longitude \"east\" is not a number"},
      {"CSV missing latitude", read_csv_track, "0,35,139\n1,,139\n", 2, "the latitude is missing"},
      {"CSV mixed times", read_csv_track, "0,35,139\n2024-05-01T10:00:00Z,35,139\n", 2, "written unlike the times above"},
      {"CSV names without lon", read_csv_track, "time,lat,height\n0,35,4\n", 1, "no longitude column"},
      {"CSV one fix", read_csv_track, "0,35,139\n", 0, "needs at least two"},
      {"CSV time beyond any date", read_csv_track, "0,35,139\n1,35,139\n5555555555555555555555555555555555555555552,36,139\n", 3,
       "lies beyond any date"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.reader(c.text);
      ADD_FAILURE() << "read without complaint";
    } catch (const TrackError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(MarksReader, MarksAreFramesAndRisingDistances) {
  const std::vector<Mark> marks = read_marks("frame,distance_m\n# start\n0,1000\n300,1000\n900,1450.5\n");
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[2].frame, 900);
  EXPECT_EQ(marks[2].distance_m, 1450.5);
  EXPECT_EQ(marks[2].line, 5);
  const struct {
    const char* text;
    int line;
    const char* says;
  } bad[] = {
      {"0,0\n300\n", 2, "one field"},
      {"0,0\n300,100\n200,200\n", 3, "does not come after"},
      {"0,0\n300,100\n600,50\n", 3, "the distance falls"},
      {"0,0\n-3,100\n", 2, "not a frame number"},
      {"0,0\n2000000000,100\n", 2, "not a frame number"},
      {"0,0\n30,1e8\n", 2, "not a number of metres along a line"},
      {"0,0\n", 0, "at least two marks"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.text);
    try {
      read_marks(c.text);
      ADD_FAILURE() << "read without complaint";
    } catch (const TrackError& e) {
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

}  // namespace
