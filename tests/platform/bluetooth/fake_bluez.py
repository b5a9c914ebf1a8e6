'''Fake Bluetooth daemon: python-dbusmock's stock bluez5 template plus a serial port profile
that works. ConnectProfile hands one end of a socketpair to the Profile1.NewConnection of the
client that registered the profile, answers once that call returned, and echoes what arrives on
its own end. Knobs on / (org.zemra.FakeBluez) steer the failures.
'''

import socket

import dbus
from gi.repository import GLib

from dbusmock import mockobject
from dbusmock.templates import bluez5
from dbusmock.templates.bluez5 import *  # noqa: F401,F403 (the stock methods and names)

KNOBS_IFACE = 'org.zemra.FakeBluez'
PROFILE_IFACE = 'org.bluez.Profile1'
SPP_UUID = '00001101-0000-1000-8000-00805f9b34fb'
ERROR = 'org.bluez.Error.'

# Shared by every object of the mock.
STATE = {'profile': None, 'taken': False, 'faults': {}, 'links': {}, 'attempts': {}}


def load(mock, parameters):
    bluez5.load(mock, parameters)
    STATE.update(profile=None, taken=False, faults={}, links={}, attempts={})
    install(mockobject.objects['/org/bluez'], bluez5.PROFILE_MANAGER_IFACE, RegisterProfile)


def install(obj, interface, function):
    '''Puts a dbus-python method (sender keyword, async replies) on a mock object.'''
    obj.methods.setdefault(interface, {})[function.__name__] = (
        function._dbus_in_signature, function._dbus_out_signature, '', function)


def fail(name, message):
    return dbus.exceptions.DBusException(message, name=ERROR + name)


@dbus.service.method(bluez5.PROFILE_MANAGER_IFACE, in_signature='osa{sv}', out_signature='',
                     sender_keyword='sender')
def RegisterProfile(_manager, path, uuid, options, sender=None):
    if STATE['taken']:
        raise fail('NotPermitted', 'UUID already registered')
    if uuid != SPP_UUID or options.get('Role') != 'client':
        raise fail('InvalidArguments', 'unexpected profile')
    STATE['profile'] = (sender, path)


@dbus.service.method(bluez5.BLUEZ_MOCK_IFACE, in_signature='sss', out_signature='s')
def AddDevice(self, adapter_device_name, device_address, alias):
    path = bluez5.AddDevice(self, adapter_device_name, device_address, alias)
    device = mockobject.objects[path]
    install(device, bluez5.DEVICE_IFACE, ConnectProfile)
    install(device, bluez5.DEVICE_IFACE, DisconnectProfile)
    return path


def address_of(device):
    return str(device.props[bluez5.DEVICE_IFACE]['Address'])


def set_connected(device, connected):
    device.UpdateProperties(bluez5.DEVICE_IFACE, {'Connected': dbus.Boolean(connected)})


@dbus.service.method(bluez5.DEVICE_IFACE, in_signature='s', out_signature='',
                     async_callbacks=('reply', 'error'))
def ConnectProfile(device, uuid, reply, error):
    props = device.props[bluez5.DEVICE_IFACE]
    address = address_of(device)
    STATE['attempts'][address] = STATE['attempts'].get(address, 0) + 1
    fault = STATE['faults'].get(address, '')
    if uuid not in [str(u) for u in props['UUIDs']]:
        error(fail('NotAvailable', 'Operation currently not available'))
    elif fault == 'needs-pin' and not props['Paired']:
        error(fail('AuthenticationFailed', 'Authentication Failed'))
    elif fault == 'page-timeout':
        error(fail('Failed', 'Page Timeout'))
    elif fault.startswith('stale') or address in STATE['links']:
        reply()  # an earlier link still stands: success, and no NewConnection
    else:
        hand_over(device, reply, error)


@dbus.service.method(bluez5.DEVICE_IFACE, in_signature='s', out_signature='')
def DisconnectProfile(device, _uuid):
    address = address_of(device)
    if STATE['faults'].get(address) == 'stale':
        STATE['faults'][address] = ''
    close_link(address)


def hand_over(device, reply, error):
    ours, theirs = socket.socketpair()
    handed = dbus.types.UnixFd(theirs.fileno())
    theirs.close()
    sender, path = STATE['profile']
    address = address_of(device)

    def done():
        STATE['links'][address] = (ours, GLib.io_add_watch(ours.fileno(), GLib.IO_IN | GLib.IO_HUP,
                                                           lambda *_: echo(address)))
        set_connected(device, True)
        reply()

    def refused(e):
        ours.close()
        error(e)

    device.connection.call_async(sender, path, PROFILE_IFACE, 'NewConnection', 'oha{sv}',
                                 (dbus.ObjectPath(device.path), handed, {}), done, refused)


def echo(address):
    ours = STATE['links'][address][0]
    try:
        data = ours.recv(4096)
    except OSError:
        data = b''
    if not data:
        close_link(address)
        return False
    ours.sendall(data)
    return True


def close_link(address):
    link = STATE['links'].pop(address, None)
    if link:
        GLib.source_remove(link[1])
        link[0].close()


@dbus.service.method(KNOBS_IFACE, in_signature='b', out_signature='')
def SetProfileTaken(_self, taken):
    '''Another program holds the serial port profile: RegisterProfile is refused.'''
    STATE['taken'] = bool(taken)


@dbus.service.method(KNOBS_IFACE, in_signature='ss', out_signature='')
def SetDeviceFault(_self, address, fault):
    '''needs-pin (refused while unpaired), page-timeout, stale (an earlier link that
    DisconnectProfile ends), stale-always (one that it does not end), or '' for none.'''
    STATE['faults'][address] = fault


@dbus.service.method(KNOBS_IFACE, in_signature='s', out_signature='u')
def ConnectAttempts(_self, address):
    '''How many times ConnectProfile was called for the device.'''
    return STATE['attempts'].get(address, 0)


@dbus.service.method(KNOBS_IFACE, in_signature='ss', out_signature='')
def DropLink(_self, address, how):
    '''close: the module hangs up; request: the daemon asks the client to let go
    (RequestDisconnection); disconnected: the device's Connected turns false.'''
    device = next(o for o in mockobject.objects.values()
                  if bluez5.DEVICE_IFACE in o.props and address_of(o) == address)
    if how == 'close':
        close_link(address)
    elif how == 'request':
        sender, path = STATE['profile']
        device.connection.call_async(sender, path, PROFILE_IFACE, 'RequestDisconnection', 'o',
                                     (dbus.ObjectPath(device.path),), None, None)
    else:
        set_connected(device, False)
