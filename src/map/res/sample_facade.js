// The page's host object "sample", kept in the page.
//
// The page calls its host synchronously (sample.JS2C_...() returning values),
// but the channel to the host (QWebChannel) is asynchronous. So this script
// keeps the values the page reads: the host pushes them with kestrelPush()
// before the page needs them, in the same order as its script statements
// (reachability when it changes, the frame number when it changes, the
// track arrays right before the statements that read them). Calls without
// a result are forwarded to the host over the channel, queued until the
// channel is open. The host's `update` message arrives as the channel's
// webMessage signal and is handed to the listeners as an event whose data
// is the parsed object. The values the page needs from the start (library
// address, tile source, pins) come with the channel, as the host object's
// `config` property: the page starts once they are here.
var kestrelValues = {connect: 0, mapUrl: "", relJpgNum: "-1", gps: [0], grid: null, tiles: {}};
var kestrelHost = null;
var kestrelQueue = [];
var kestrelListeners = [];
var kestrelStarter = null;

// Runs `start` as soon as the channel has brought the page's values.
function kestrelStart(start) {
  if (kestrelHost) {
    start();
  } else {
    kestrelStarter = start;
  }
}

function kestrelPush(values) {
  Object.assign(kestrelValues, values);
}

function kestrelForward(name, args) {
  if (kestrelHost) {
    kestrelHost[name].apply(kestrelHost, args);
  } else {
    kestrelQueue.push([name, args]);
  }
}

var sample = {
  JS2C_ConnectTest: function () {
    if (!kestrelValues.connect) kestrelForward("JS2C_ConnectTest", []);
    return kestrelValues.connect;
  },
  JS2C_GetMapURL: function () { return kestrelValues.mapUrl; },
  JS2C_GetGPSData: function () { return kestrelValues.gps; },
  JS2C_GetGridData: function (ignored) { return kestrelValues.grid; },
  JS2C_GetRelJpgNum: function () { return kestrelValues.relJpgNum; },
  JS2C_OnClickCrashPoint: function (ifile, igrid, ipos, valid, lat, lng, speed, direction) {
    kestrelForward("JS2C_OnClickCrashPoint", [ifile, igrid, ipos, valid, lat, lng, speed, direction]);
  },
  JS2C_OnInitHtml: function () { kestrelForward("JS2C_OnInitHtml", []); },
  JS2C_SetSend: function () { kestrelForward("JS2C_SetSend", []); },
  addMessageListener: function (listener) { kestrelListeners.push(listener); }
};

new QWebChannel(qt.webChannelTransport, function (channel) {
  kestrelHost = channel.objects.sample;
  kestrelPush(JSON.parse(kestrelHost.config));
  kestrelHost.webMessage.connect(function (json) {
    var message = {data: JSON.parse(json)};
    kestrelListeners.forEach(function (listener) { listener(message); });
  });
  kestrelQueue.forEach(function (call) { kestrelHost[call[0]].apply(kestrelHost, call[1]); });
  kestrelQueue = [];
  if (kestrelStarter) kestrelStarter();
});
