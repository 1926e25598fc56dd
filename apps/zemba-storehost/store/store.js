// The demo store. It talks to the host only through window.kzemba (the browser page's
// bridge): kzemba.call(method, args, callback) answers at once with the envelope, and
// later answers, callbacks and pushed events call the named function of this window.
// On load it runs its self-check once: every feature below, automatically, then it tells
// the host (the "storeHost" object, when the host publishes one) whether all passed. The
// host also says which JS API the page has: the lite one, or the restricted ("safe") one,
// which refuses the account methods and deletes and does not offer downloads, event
// streams or encryption; under it the self-check expects exactly those refusals.
(function () {
    'use strict';

    var store = window.store = { cb: {} };
    var origin = location.origin;
    var items = [];
    var downloads = {};
    var callCount = 0;
    var host = null;
    var restricted = false;
    var refusals = [];

    function $(id) { return document.getElementById(id); }

    function resultOf(value) {
        return value && typeof value === 'object' && value.result !== undefined ? value.result : value;
    }

    function isFailure(answer) {
        return !!answer && typeof answer === 'object' && answer.callstatus === 'error';
    }

    function setStatus(text, error) {
        $('status').textContent = text;
        $('status').className = error ? 'error' : '';
    }

    // Every failure answer goes to the status line.
    function showFailure(method, detail) {
        var text = typeof detail === 'string' ? detail : JSON.stringify(detail);
        setStatus(method + ' failed: ' + text, true);
        return new Error(method + ': ' + text);
    }

    // A call whose synchronous answer is all there is.
    function call(method, args) {
        return kzemba.call(method, args).then(function (answer) {
            if (isFailure(answer))
                throw showFailure(method, answer.errormsg || answer);
            return answer;
        });
    }

    // A call whose answer comes later to a callback; resolves with the delivered value.
    function callLater(method, args, timeoutMs) {
        var name = 'c' + (++callCount);
        return new Promise(function (resolve, reject) {
            var timer = setTimeout(function () {
                delete store.cb[name];
                reject(showFailure(method, 'no answer in time'));
            }, timeoutMs || 15000);
            store.cb[name] = function (value) {
                clearTimeout(timer);
                delete store.cb[name];
                resolve(value);
            };
            // The JS API reads the callback's name from the arguments.
            args.callback = 'store.cb.' + name;
            kzemba.call(method, args, args.callback).then(function (answer) {
                if (!isFailure(answer))
                    return;
                clearTimeout(timer);
                delete store.cb[name];
                reject(showFailure(method, answer.errormsg || answer));
            });
        });
    }

    // A call the API must refuse with exactly `message`; the refusal is recorded for the summary.
    function expectRefusal(method, args, message) {
        return kzemba.call(method, args, args.callback).then(function (answer) {
            if (!isFailure(answer) || answer.errormsg !== message)
                throw showFailure(method, 'expected the refusal "' + message + '", got ' + JSON.stringify(answer));
            refusals.push({ method: method, message: message });
            showFailure(method, message);
        });
    }

    // The data of a successful answer of httpGet, httpPost or httpDelete. The lite API answers
    // {"error_code": "0", "data": ...}; the restricted API's requests answer {"status": 200,
    // "response": the body's text}, which is parsed here when `json` is set.
    function httpData(method, value, json) {
        var answer = resultOf(value);
        if (!restricted) {
            if (!answer || answer.error_code !== '0')
                throw showFailure(method, answer);
            return answer.data;
        }
        if (!answer || answer.status !== 200)
            throw showFailure(method, value);
        if (!json)
            return answer.response;
        try {
            return JSON.parse(answer.response);
        } catch (e) {
            throw showFailure(method, 'not JSON: ' + answer.response);
        }
    }

    // Catalogue and thumbnails.
    function loadCatalogue() {
        return callLater('httpGet', { url: origin + '/api/catalogue', type: 'json', timeout: 10000 })
            .then(function (value) {
                items = httpData('httpGet', value, true).items || [];
                renderCatalogue();
                return Promise.all(items.map(loadThumbnail));
            });
    }

    function renderCatalogue() {
        var grid = $('catalogue');
        grid.textContent = '';
        items.forEach(function (item) {
            var card = document.createElement('article');
            card.className = 'card';
            card.innerHTML = '<img alt=""><h3></h3><div class="type"></div><progress max="100" value="0"></progress>' +
                '<button>Insert</button><div class="path"></div>';
            card.querySelector('h3').textContent = item.name;
            card.querySelector('.type').textContent = item.type;
            card.querySelector('button').addEventListener('click', function () {
                insert(item).catch(function () {});
            });
            item.card = card;
            grid.appendChild(card);
        });
    }

    function loadThumbnail(item) {
        return callLater('httpGet', { url: item.thumbnail, type: 'text', timeout: 10000 }).then(function (value) {
            // The lite API hands a text answer over as it is.
            var svg = restricted ? httpData('httpGet', value, false) : value;
            if (typeof svg !== 'string' || svg.indexOf('<svg') < 0)
                throw showFailure('httpGet', 'thumbnail of ' + item.id + ' is not a picture');
            item.card.querySelector('img').src = 'data:image/svg+xml;charset=utf-8,' + encodeURIComponent(svg);
        });
    }

    function filterCatalogue(text) {
        var needle = text.trim().toLowerCase();
        var shown = 0;
        items.forEach(function (item) {
            var match = !needle || item.name.toLowerCase().indexOf(needle) >= 0 || item.type.indexOf(needle) >= 0;
            item.card.classList.toggle('hidden', !match);
            shown += match ? 1 : 0;
        });
        return shown;
    }

    // Insert: download and apply through the resource handlers, progress from pushed events.
    function insert(item) {
        var card = item.card;
        var button = card.querySelector('button');
        button.disabled = true;
        card.querySelector('progress').value = 0;
        return new Promise(function (resolve, reject) {
            var timer = setTimeout(function () { finish(showFailure('insertOnlineResource', item.id + ' did not finish')); }, 30000);
            function finish(error) {
                clearTimeout(timer);
                delete downloads[item.id];
                button.disabled = false;
                if (error)
                    reject(error);
                else
                    resolve();
            }
            downloads[item.id] = { card: card, finish: finish };
            call('insertOnlineResource', {
                resType: item.type,
                resInfo: { id: item.id, name: item.name, urls: [item.url], md5: item.md5 }
            }).catch(finish);
        }).then(function () {
            return call('common.plugin.getResourcePath', { resType: item.type, id: item.id });
        }).then(function (answer) {
            var record = resultOf(answer) || {};
            var path = record.path || (record.files && record.files[0]) || '';
            if (!path)
                throw showFailure('common.plugin.getResourcePath', answer);
            card.querySelector('.path').textContent = path;
            card.querySelector('progress').value = 100;
            return path;
        });
    }

    window.onDownloadProgress = function (value) {
        var info = resultOf(value) || {};
        var download = downloads[info.id];
        if (download)
            download.card.querySelector('progress').value = Number(info.percent) || 0;
    };
    window.onDownloadSuccess = function (value) {
        var download = downloads[(resultOf(value) || {}).id];
        if (download)
            download.finish();
    };
    window.onDownloadError = function (value) {
        var info = resultOf(value) || {};
        var download = downloads[info.id];
        if (download)
            download.finish(showFailure('insertOnlineResource', info));
    };

    // Assistant: an event stream through ssePost and sseRead.
    function ask(question) {
        var panel = $('assistant-text');
        panel.textContent = '';
        return call('ssePost', { url: origin + '/api/assistant', data: { question: question } }).then(function (answer) {
            var session = (resultOf(answer) || {}).session_id || (answer || {}).session_id;
            if (!session)
                throw showFailure('ssePost', answer);
            return new Promise(function (resolve, reject) {
                var timer = setTimeout(function () { reject(showFailure('sseRead', 'the stream did not end')); }, 15000);
                store.onStream = function (delivery) {
                    if (delivery.error !== undefined) {
                        clearTimeout(timer);
                        reject(showFailure('sseRead', delivery));
                    } else if (delivery.done) {
                        clearTimeout(timer);
                        resolve(panel.textContent);
                    } else if (delivery.event === 'message') {
                        panel.textContent += JSON.parse(delivery.data).text;
                    }
                };
                kzemba.call('sseRead', { session_id: session, callback: 'store.onStream' }, 'store.onStream');
            });
        }).then(function (text) {
            if (!text)
                throw showFailure('sseRead', 'no text arrived');
            return text;
        });
    }

    // Account. The restricted API keeps the account from the page.
    function refreshAccount() {
        if (restricted) {
            $('account-state').textContent = 'Account: not shared with this page';
            return call('checkUserLogin', {});
        }
        return callLater('getUserAccountInfoState', { forceUpdate: true }).then(function (value) {
            var state = (resultOf(value) || {}).state;
            $('account-state').textContent = 'Account: ' + (state || 'unknown');
            if (!state || state === 'error')
                throw showFailure('getUserAccountInfoState', value);
            return state;
        });
    }

    // Feedback: encrypted with the store service's key, then posted. The restricted API offers
    // no encryption; there the form goes as it is.
    function sendFeedback(text) {
        if (restricted) {
            return callLater('httpPost', { url: origin + '/api/feedback', timeout: 10000, data: { feedback: text } })
                .then(function (value) {
                    if (!httpData('httpPost', value, true).received)
                        throw showFailure('httpPost', value);
                    $('feedback-state').textContent = 'Sent, not encrypted (' + new Date().toLocaleTimeString() + ').';
                });
        }
        return call('rsaAesEncrypt', { data: { feedback: text } }).then(function (answer) {
            var sealed = resultOf(answer) || {};
            if (sealed.encrypted !== 'ok')
                throw showFailure('rsaAesEncrypt', sealed);
            return callLater('httpPost', {
                url: origin + '/api/feedback', timeout: 10000,
                data: { kv: sealed.kv, sk: sealed.sk, len: sealed.len, en: sealed.en }
            });
        }).then(function (value) {
            if (!httpData('httpPost', value).received)
                throw showFailure('httpPost', value);
            $('feedback-state').textContent = 'Sent encrypted (' + new Date().toLocaleTimeString() + ').';
        });
    }

    function removeFavourite(id) {
        return callLater('httpDelete', { url: origin + '/api/favourites?id=' + encodeURIComponent(id), timeout: 10000 })
            .then(function (value) {
                if (!httpData('httpDelete', value).deleted)
                    throw showFailure('httpDelete', value);
            });
    }

    // Opening: a store page as a popup app, and the demo app. The restricted API opens store
    // pages through its util name space only.
    function openPage() {
        var args = { openmode: 'popup', appId: 'zembademoapp', entry: origin + '/index.html#page' };
        if (restricted) {
            return call('common.util.openZembaPage', args).then(function () {
                $('open-state').textContent = 'Store page opened.';
            });
        }
        return call('openZembaPage', args).then(function (answer) {
            if (!answer || answer.result !== true)
                throw showFailure('openZembaPage', answer);
            $('open-state').textContent = 'Store page opened.';
        });
    }

    function openApp() {
        return call('common.util.openApp', { appId: 'zembademoapp', src: 'zembastore' }).then(function (answer) {
            if ((resultOf(answer) || {}).status !== 'true')
                throw showFailure('common.util.openApp', answer);
            $('open-state').textContent = 'Demo app opened.';
        });
    }

    // A request the library must refuse: the refusal reaches the status line.
    function refusedRequest() {
        return expectRefusal('httpGet', { url: 'file:///etc/hostname', callback: 'store.cb.never' },
                             restricted ? "parameter of 'url' is empty or is not legal" : 'only http and https URLs are allowed');
    }

    // The host checked this page's host before it gave the page its API.
    function checkPageHost() {
        if (!host)
            throw showFailure('page host', 'no host to ask');
        if (!host.pageHostTrusted)
            throw showFailure('page host', 'not trusted (' + host.pageHost + ')');
    }

    function search() {
        $('search').value = 'invoice';
        var shown = filterCatalogue('invoice');
        $('search').value = '';
        filterCatalogue('');
        if (shown !== 1)
            throw showFailure('search', shown + ' results for "invoice"');
    }

    function notOffered(method, args) {
        return expectRefusal(method, args, 'no such method: ' + method);
    }

    // Every feature once. What the restricted API allows passes as under the lite one; what it
    // keeps from the page must be refused.
    function selfChecks() {
        var features = restricted ? [
            ['insert refused', function () {
                return notOffered('insertOnlineResource', { resType: items[0].type, resInfo: { id: items[0].id } });
            }],
            ['assistant stream refused', function () {
                return notOffered('ssePost', { url: origin + '/api/assistant', data: { question: 'Hello?' } });
            }],
            ['account methods refused', function () {
                $('account-state').textContent = 'Account: not shared with this page';
                return ['checkUserLogin', 'getUserInfoCookie', 'getUserLoginInfo'].reduce(function (previous, method) {
                    return previous.then(function () { return expectRefusal(method, {}, 'empty interface'); });
                }, Promise.resolve());
            }],
            ['encryption refused', function () { return notOffered('rsaAesEncrypt', { data: { feedback: 'x' } }); }],
            ['feedback form', function () { return sendFeedback($('feedback-text').value); }],
            ['remove a favourite refused', function () {
                return expectRefusal('httpDelete', { url: origin + '/api/favourites?id=' + encodeURIComponent(items[1].id),
                                                     callback: 'store.cb.never' }, 'empty interface');
            }],
        ] : [
            ['insert a template', function () { return insert(items[0]); }],
            ['insert a picture', function () { return insert(items[2]); }],
            ['assistant stream', function () { return ask('Which template should I use?'); }],
            ['account state', refreshAccount],
            ['encrypted feedback', function () { return sendFeedback($('feedback-text').value); }],
            ['remove a favourite', function () { return removeFavourite(items[1].id); }],
        ];
        return [['catalogue and thumbnails', loadCatalogue], ['search', search]].concat(features, [
            ['open a store page', openPage],
            ['open an app', openApp],
            ['refused request shown', refusedRequest],
            ['page host trusted', checkPageHost],
        ]);
    }

    // "m1, m2 (message); m3 (other message)", in the order the refusals came.
    function refusalSummary() {
        var groups = [];
        refusals.forEach(function (refusal) {
            var reason = refusal.message === 'no such method: ' + refusal.method ? 'no such method' : refusal.message;
            var group = groups.filter(function (g) { return g.reason === reason; })[0];
            if (!group)
                groups.push(group = { reason: reason, methods: [] });
            if (group.methods.indexOf(refusal.method) < 0)
                group.methods.push(refusal.method);
        });
        return groups.map(function (g) { return g.methods.join(', ') + ' (' + g.reason + ')'; }).join('; ');
    }

    function addCheckLine(name, ok, error) {
        var line = document.createElement('li');
        line.className = ok ? 'ok' : 'fail';
        line.textContent = (ok ? '✓ ' : '✗ ') + name + (error ? ': ' + error.message : '');
        $('checks').appendChild(line);
    }

    function selfCheck() {
        var passed = [];
        var failed = [];
        var checks = selfChecks();
        refusals = [];
        return checks.reduce(function (previous, check) {
            return previous.then(function () {
                return Promise.resolve().then(check[1]).then(function () {
                    passed.push(check[0]);
                    addCheckLine(check[0], true);
                }, function (error) {
                    failed.push(check[0]);
                    addCheckLine(check[0], false, error);
                });
            });
        }, Promise.resolve()).then(function () {
            var ok = failed.length === 0;
            var summary = passed.length + '/' + checks.length + ' passed' +
                (refusals.length ? '; refused as expected: ' + refusalSummary() : '') +
                (ok ? '' : '; failed: ' + failed.join(', '));
            setStatus('Self-check ' + (ok ? 'passed' : 'FAILED') + ': ' + summary, !ok);
            if (host)
                host.report(ok, summary);
        });
    }

    $('search').addEventListener('input', function (event) { filterCatalogue(event.target.value); });
    $('ask').addEventListener('click', function () { ask('What is new in the store?').catch(function () {}); });
    $('feedback').addEventListener('submit', function (event) {
        event.preventDefault();
        sendFeedback($('feedback-text').value).catch(function () {});
    });
    $('open-page').addEventListener('click', function () { openPage().catch(function () {}); });
    $('open-app').addEventListener('click', function () { openApp().catch(function () {}); });
    $('login').addEventListener('click', function () {
        call('login', { userid: '1001' }).then(refreshAccount).catch(function () {});
    });
    $('logout').addEventListener('click', function () {
        call('logout', {}).then(refreshAccount).catch(function () {});
    });

    store.onPush = function (event) { setStatus('Event: ' + JSON.stringify(event)); };
    kzemba.ready.then(function (objects) {
        host = objects.storeHost || null;
        restricted = !!host && host.api === 'safe';
        if (restricted)
            $('feedback').querySelector('button').textContent = 'Send';
        $('host-state').textContent = (restricted ? 'Restricted JS API' : 'Lite JS API') +
            (host ? (host.pageHostTrusted ? ' · trusted host' : ' · untrusted host') : '');
        kzemba.call('registPushUIEventHandler', { handler: 'store.onPush' });
        // The restricted API's ready report is webLoadFinish.
        return kzemba.call(restricted ? 'webLoadFinish' : 'onScriptReady');
    }).then(selfCheck);
})();
